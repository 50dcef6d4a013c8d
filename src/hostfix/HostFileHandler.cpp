#include "HostFileHandler.h"

#include <stdexcept>

#include "HostFileText.h"
#include "ReplaceContents.h"

namespace veltrim::hostfix {

bool HostFileHandler::IsPresent() const { return !FilePath.empty() && files_.IsFile(FilePath); }

void HostFileHandler::ProcessFile(const std::string& FilePath, const std::string& Domain) {
  this->FilePath = FilePath;
  this->Domain = Domain;
  rewritten_ = false;
  if (!IsPresent()) return;
  const std::unique_ptr<platform::RepairLock> lock = Lock();
  // Under the lock, no other Veltrim is writing a new file: whatever is left is a killed run's.
  files_.RemoveLeftoversBeside(this->FilePath);

  for (int attempt = 1;; ++attempt) {
    const std::string contents = files_.ReadFile(this->FilePath);
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

    if (WritePass(true, contents)) {
      rewritten_ = true;
      return;
    }
    if (attempt == kAttempts) {
      throw std::runtime_error("Could not repair " + this->FilePath +
                               ": another program kept changing it. It was left as that "
                               "program wrote it.");
    }
  }
}

void HostFileHandler::RestoreFile() {
  if (!rewritten_ || !IsPresent()) return;
  const std::unique_ptr<platform::RepairLock> lock = Lock();
  WritePass(false, std::nullopt);
}

std::unique_ptr<platform::RepairLock> HostFileHandler::Lock() {
  std::unique_ptr<platform::RepairLock> lock = files_.LockForRepair(FilePath);
  if (lock == nullptr) {
    throw std::runtime_error("Could not repair " + FilePath +
                             ": another Veltrim was repairing the host files and did not finish "
                             "in time. It was left as it was.");
  }
  return lock;
}

bool HostFileHandler::WritePass(bool mark, std::optional<std::string_view> expected) {
  // The rename that replaces the file would succeed even on a file that may not be changed.
  files_.CheckWritable(FilePath);

  std::string output;
  LineIndex = 0;
  while (LineIndex < LineCount) {
    const std::string& line = LineBuffer[++LineIndex];
    const std::size_t markAt = LineIndex == 1 ? Utf8MarkLength(line) : 0;
    output.append(line, 0, markAt);
    if (mark && NamesHost(std::string_view(line).substr(markAt), Domain)) output += '#';
    output.append(line, markAt);
    output += "\r\n";
  }
  return ReplaceContents(files_, FilePath, output, expected);
}

}  // namespace veltrim::hostfix
