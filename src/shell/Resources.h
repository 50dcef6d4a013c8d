// What the program shows of its own: its version and its pictures.
#pragma once

#include <windows.h>

#include <string>

#include "Scoped.h"

namespace veltrim::shell {

// "major.minor.revision", each a plain decimal number.
std::string ProgramVersion();

// Decodes the JPEG picture resource `id` into a bitmap; throws SystemError on failure.
platform::ScopedBitmap LoadJpegResource(int id);

}  // namespace veltrim::shell
