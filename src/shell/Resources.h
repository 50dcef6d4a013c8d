// What the program reads from its own resources.
#pragma once

#include <windows.h>

#include <string>

namespace veltrim::shell {

// "major.minor.revision" from the program's version resource.
std::string ProgramVersion();

// Decodes the JPEG picture resource `id` into a bitmap; throws SystemError on failure.
HBITMAP LoadJpegResource(int id);

}  // namespace veltrim::shell
