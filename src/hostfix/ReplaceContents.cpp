#include "ReplaceContents.h"

namespace veltrim::hostfix {

bool ReplaceContents(platform::FileSystem& files, const std::string& path,
                     const std::function<void(platform::OutputFile&)>& write,
                     std::optional<std::string_view> expected) {
  std::unique_ptr<platform::OutputFile> file = files.CreateFileBeside(path);
  const std::string newPath = file->Path();
  try {
    write(*file);
    file->Flush();
    file->Close();
    files.CopyProtection(path, newPath);
    if (files.PutInPlace(path, newPath, expected)) return true;
  } catch (...) {
    file.reset();  // a file that is still open cannot be removed on Windows
    files.RemoveFile(newPath);
    throw;
  }
  files.RemoveFile(newPath);
  return false;
}

}  // namespace veltrim::hostfix
