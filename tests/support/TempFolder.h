// A fresh folder for one test, removed with everything in it afterwards.
#pragma once

#include <string>
#include <vector>

namespace veltrim::testing {

std::string ReadBytes(const std::string& path);

class TempFolder {
 public:
  TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  ~TempFolder();

  const std::string& Path() const { return path_; }
  // The path of `name` inside the folder, in the platform's own spelling.
  std::string PathOf(const std::string& name) const;
  void Write(const std::string& name, const std::string& bytes) const;
  std::string Read(const std::string& name) const;
  // The names in the folder, sorted.
  std::vector<std::string> Names() const;

 private:
  std::string path_;
};

}  // namespace veltrim::testing
