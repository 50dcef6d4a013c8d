#include "ReplaceContents.h"

namespace veltrim::hostfix {

bool ReplaceContents(platform::FileSystem& files, const std::string& path,
                     std::string_view contents, std::optional<std::string_view> expected) {
  std::unique_ptr<platform::OutputFile> file = files.CreateFileBeside(path);
  const std::string newPath = file->Path();
  bool replaced = false;
  try {
    file->Write(contents);
    file->Flush();
    file->Close();
    files.CopyProtection(path, newPath);
    replaced = files.PutInPlace(path, newPath,
                                [&] { return !expected || files.ReadFile(path) == *expected; });
  } catch (...) {
    file.reset();  // a file that is still open cannot be removed on Windows
    files.RemoveFile(newPath);
    throw;
  }
  if (!replaced) files.RemoveFile(newPath);
  return replaced;
}

}  // namespace veltrim::hostfix
