#include "TempFolder.h"

#include <algorithm>

#ifdef _WIN32
#include <atomic>
#include <chrono>
#include <filesystem>
#endif

namespace veltrim::testing {

#ifdef _WIN32

namespace fs = std::filesystem;

TempFolder::TempFolder() {
  static std::atomic<unsigned> counter{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  const fs::path folder = fs::temp_directory_path() / ("veltrim-test-" + std::to_string(stamp) +
                                                       "-" + std::to_string(++counter));
  fs::create_directories(folder);
  path_ = folder.string();
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

void TempFolder::Write(const std::string& name, const std::string& bytes) {
  WriteBytes(PathOf(name), bytes);
}

std::string TempFolder::Read(const std::string& name) const { return ReadBytes(PathOf(name)); }

std::vector<std::string> TempFolder::Names() const {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(path_)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

void TempFolder::MakeFolder(const std::string& name) { fs::create_directory(PathOf(name)); }

bool TempFolder::MakeLink(const std::string& name, const std::string& target, bool folder) {
  std::error_code error;
  if (folder) {
    fs::create_directory_symlink(PathOf(target), PathOf(name), error);
  } else {
    fs::create_symlink(PathOf(target), PathOf(name), error);
  }
  return !error;
}

void TempFolder::Resize(const std::string& name, std::uint64_t size) {
  fs::resize_file(PathOf(name), size);
}

#else

// Each folder has files of its own: every name in them is in the folder.
TempFolder::TempFolder() : path_("C:\\test") {}
TempFolder::~TempFolder() = default;

void TempFolder::Write(const std::string& name, const std::string& bytes) {
  files_.files[PathOf(name)] = bytes;
}

std::string TempFolder::Read(const std::string& name) const {
  return files_.files.at(PathOf(name));
}

std::vector<std::string> TempFolder::Names() const {
  std::vector<std::string> names;
  for (const auto& file : files_.files) names.push_back(file.first.substr(path_.size() + 1));
  for (const auto& set : {files_.folders, files_.links}) {
    for (const std::string& path : set) names.push_back(path.substr(path_.size() + 1));
  }
  std::sort(names.begin(), names.end());
  return names;
}

void TempFolder::MakeFolder(const std::string& name) { files_.folders.insert(PathOf(name)); }

bool TempFolder::MakeLink(const std::string& name, const std::string&, bool) {
  files_.links.insert(PathOf(name));
  return true;
}

void TempFolder::Resize(const std::string& name, std::uint64_t size) {
  files_.files[PathOf(name)].resize(size, '\0');
}

#endif

}  // namespace veltrim::testing
