// Comments out, in one host file, every line that mentions a host name, and keeps the lines it
// read so that the file can be written back as it was.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "Platform.h"

namespace veltrim::hostfix {

class HostFileHandler {
 public:
  // Slot 0 of the buffer holds no line, so this many lines fit.
  static constexpr int kCapacity = 200;

  explicit HostFileHandler(platform::Platform& platform) : platform_(platform) {}

  // Writes back the lines that the last successful ProcessFile read, if the file exists.
  void RestoreFile();
  // Rewrites the file, if it exists, with "#" before every line that contains `Domain`
  // ignoring letter case. Throws, leaving the file unchanged, when it cannot be repaired.
  void ProcessFile(const std::string& FilePath, const std::string& Domain);

  std::int16_t CurrentLineIndex() const { return LineIndex; }
  std::int16_t SavedLineCount() const { return LineCount; }
  const std::string& SavedLine(int slot) const { return LineBuffer.at(slot); }
  const std::string& LastFilePath() const { return FilePath; }
  const std::string& LastDomain() const { return Domain; }

 private:
  bool IsPresent() const;
  // Writes slots 1 to LineCount, each followed by CR LF, marking those that contain `Domain`
  // when `mark` is set; the file is replaced in one step.
  void WritePass(bool mark);

  platform::Platform& platform_;
  std::int16_t LineIndex = 0;
  std::int16_t LineCount = 0;
  std::array<std::string, kCapacity + 1> LineBuffer;
  std::string FilePath;
  std::string Domain;
};

}  // namespace veltrim::hostfix
