#include "ReplaceContents.h"

namespace veltrim::hostfix {

namespace {

// Reads no more of the file than it should hold: a file that grew holds something else.
bool Holds(platform::FileSystem& files, const std::string& path, std::string_view expected) {
  try {
    return files.ReadFile(path, expected.size()) == expected;
  } catch (const platform::FileTooLarge&) {
    return false;
  }
}

}  // namespace

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
    if (files.PutInPlace(path, newPath,
                         [&] { return !expected || Holds(files, path, *expected); })) {
      return true;
    }
  } catch (...) {
    file.reset();  // a file that is still open cannot be removed on Windows
    files.RemoveFile(newPath);
    throw;
  }
  files.RemoveFile(newPath);
  return false;
}

}  // namespace veltrim::hostfix
