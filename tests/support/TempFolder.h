// A fresh folder of host files for one test, and the file system that the code under test
// works on: natively in memory, so that the core runs under AddressSanitizer and UBSan; under
// Wine a real folder, removed with everything in it afterwards, and the Win32 layer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "Win32FileSystem.h"
#else
#include "MemoryFileSystem.h"
#endif

namespace veltrim::testing {

#ifdef _WIN32
inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  // In one read: a character at a time takes seconds for a list of 64 MB.
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return std::move(bytes).str();
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}
#endif

class TempFolder {
 public:
  TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  ~TempFolder();

  platform::FileSystem& Files() { return files_; }
  const std::string& Path() const { return path_; }
  // The path of `name` inside the folder.
  std::string PathOf(const std::string& name) const { return path_ + "\\" + name; }
  void Write(const std::string& name, const std::string& bytes);
  std::string Read(const std::string& name) const;
  // The names in the folder, sorted.
  std::vector<std::string> Names() const;
  void MakeFolder(const std::string& name);
  // A symbolic link `name` to `target`, a file or a folder; false where none can be made (Wine
  // makes none).
  bool MakeLink(const std::string& name, const std::string& target, bool folder);
  void Resize(const std::string& name, std::uint64_t size);

 private:
  std::string path_;
#ifdef _WIN32
  platform::Win32FileSystem files_;
#else
  MemoryFileSystem files_;
#endif
};

}  // namespace veltrim::testing
