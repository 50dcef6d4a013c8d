#include "HostFileHandler.h"

#include <stdexcept>

#include "DurableWrite.h"
#include "HostFileText.h"

namespace veltrim::hostfix {

bool HostFileHandler::IsPresent() const {
  return !FilePath.empty() && platform_.IsOrdinaryFile(FilePath);
}

void HostFileHandler::ProcessFile(const std::string& FilePath, const std::string& Domain) {
  this->FilePath = FilePath;
  this->Domain = Domain;
  if (!IsPresent()) return;

  const std::string contents = platform_.ReadFile(this->FilePath);
  // Read as single-byte text, UTF-16 would be split inside its characters and written back
  // corrupted.
  if (IsUtf16(contents)) return;
  const std::vector<std::string_view> lines = SplitLines(contents, kCapacity);
  if (lines.size() > static_cast<std::size_t>(kCapacity)) {
    throw std::out_of_range(this->FilePath + " has more than " + std::to_string(kCapacity) +
                            " lines; Veltrim can repair host files of up to " +
                            std::to_string(kCapacity) + " lines.");
  }

  // The read pass is complete only now, so a failed one leaves the saved lines alone.
  LineIndex = 0;
  for (std::string_view line : lines) LineBuffer[++LineIndex] = line;
  LineCount = LineIndex;

  WritePass(true);
}

void HostFileHandler::RestoreFile() {
  if (!IsPresent()) return;
  WritePass(false);
}

void HostFileHandler::WritePass(bool mark) {
  // The rename that replaces the file would succeed even on a file that may not be changed.
  platform_.CheckWritable(FilePath);

  std::string upperDomain = Domain;
  platform_.ToUpper(upperDomain);
  std::string output;
  std::string upperLine;
  LineIndex = 0;
  while (LineIndex < LineCount) {
    const std::string& line = LineBuffer[++LineIndex];
    if (mark && !line.empty()) {
      upperLine = line;
      platform_.ToUpper(upperLine);
      if (upperLine.find(upperDomain) != std::string::npos) output += '#';
    }
    output += line;
    output += "\r\n";
  }
  WriteDurably(platform_, FilePath, output);
}

}  // namespace veltrim::hostfix
