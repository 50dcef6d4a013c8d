#include "HostFileHandler.h"

#include <stdexcept>

#include "HostFileText.h"
#include "ReplaceContents.h"

namespace veltrim::hostfix {

bool HostFileHandler::IsPresent() const { return !FilePath_.empty() && files_.IsFile(FilePath_); }

void HostFileHandler::ProcessFile(const std::string& FilePath, const std::string& Domain) {
  FilePath_ = FilePath;
  Domain_ = Domain;
  rewritten_ = false;
  if (!IsPresent()) return;
  const std::unique_ptr<platform::RepairLock> lock = Lock();
  // Under the lock, no other Veltrim is writing a new file: whatever is left is a killed run's.
  files_.RemoveLeftoversBeside(FilePath_);

  for (int attempt = 1;; ++attempt) {
    const std::string contents = files_.ReadFile(FilePath_);
    // Read as single-byte text, UTF-16 would be split inside its characters and written back
    // corrupted.
    if (IsUtf16(contents)) return;
    const std::vector<std::string_view> lines = SplitLines(contents, kCapacity);
    if (lines.size() > static_cast<std::size_t>(kCapacity)) {
      throw std::out_of_range(FilePath_ + " has more than " + std::to_string(kCapacity) +
                              " lines; Veltrim can repair host files of up to " +
                              std::to_string(kCapacity) + " lines.");
    }

    // The read pass is complete only now, so a failed one leaves the saved lines alone.
    LineIndex_ = 0;
    for (std::string_view line : lines) LineBuffer_[++LineIndex_] = line;
    LineCount_ = LineIndex_;

    if (WritePass(true, contents)) {
      rewritten_ = true;
      return;
    }
    if (attempt == kAttempts) {
      throw std::runtime_error("Could not repair " + FilePath_ +
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
  std::unique_ptr<platform::RepairLock> lock = files_.LockForRepair(FilePath_);
  if (lock == nullptr) {
    throw std::runtime_error("Could not repair " + FilePath_ +
                             ": another Veltrim was repairing the host files and did not finish "
                             "in time. It was left as it was.");
  }
  return lock;
}

bool HostFileHandler::WritePass(bool mark, std::optional<std::string_view> expected) {
  // The rename that replaces the file would succeed even on a file that may not be changed.
  files_.CheckWritable(FilePath_);

  std::string output;
  LineIndex_ = 0;
  while (LineIndex_ < LineCount_) {
    const std::string& line = LineBuffer_[++LineIndex_];
    const std::size_t markAt = LineIndex_ == 1 ? Utf8MarkLength(line) : 0;
    output.append(line, 0, markAt);
    if (mark && NamesHost(std::string_view(line).substr(markAt), Domain_)) output += '#';
    output.append(line, markAt);
    output += "\r\n";
  }
  return ReplaceContents(files_, FilePath_, output, expected);
}

}  // namespace veltrim::hostfix
