#include "DurableWrite.h"

namespace veltrim::hostfix {

void WriteDurably(platform::Platform& platform, const std::string& path,
                  std::string_view contents) {
  std::unique_ptr<platform::OutputFile> file = platform.CreateFileBeside(path);
  std::string newPath = file->Path();
  try {
    file->Write(contents);
    file->Flush();
    file->Close();
    platform.PutInPlace(path, newPath);
  } catch (...) {
    file.reset();  // a file that is still open cannot be removed on Windows
    platform.RemoveFile(newPath);
    throw;
  }
}

}  // namespace veltrim::hostfix
