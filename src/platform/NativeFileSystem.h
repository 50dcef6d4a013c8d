// The host-file operations of the system this build runs on.
#pragma once

#ifdef _WIN32
#include "Win32FileSystem.h"
#else
#include "PosixFileSystem.h"
#endif

namespace veltrim::platform {

#ifdef _WIN32
using NativeFileSystem = Win32FileSystem;
#else
using NativeFileSystem = PosixFileSystem;
#endif

}  // namespace veltrim::platform
