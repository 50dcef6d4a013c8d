#include "HostFileHandler.h"

#include <stdexcept>

#include "HostFileText.h"
#include "ReplaceContents.h"

namespace veltrim::hostfix {

namespace {

// The new contents go to the disk in pieces of this size, not a write for every line.
constexpr std::size_t kWriteChunk = 1 << 16;

}  // namespace

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
    std::string contents = files_.ReadFile(FilePath_, kMaxHostFileBytes);
    // Read as single-byte text, UTF-16 would be split inside its characters and written back
    // corrupted.
    if (IsUtf16(contents)) return;
    read_ = std::move(contents);
    LineBuffer_ = SplitLines(read_);
    LineCount_ = LineBuffer_.size();

    if (WritePass(true, read_)) {
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
  const HostFinder finder(Domain_);
  const auto write = [&](platform::OutputFile& file) {
    std::string out;
    out.reserve(kWriteChunk + 1024);
    // Only a line that contains the host needs a closer look: in a list of a hundred thousand
    // lines, a handful do.
    std::size_t found = mark ? finder.Find(read_, 0) : std::string_view::npos;
    for (LineIndex_ = 0; LineIndex_ < LineCount_; ++LineIndex_) {
      std::string_view line = LineBuffer_[LineIndex_];
      const std::size_t markLength = LineIndex_ == 0 ? Utf8MarkLength(line) : 0;
      out.append(line.substr(0, markLength));
      line.remove_prefix(markLength);
      const std::size_t end = static_cast<std::size_t>(line.data() - read_.data()) + line.size();
      Naming naming = Naming::None;
      if (found < end) {
        naming = NamesHost(line, Domain_);
        found = finder.Find(read_, end);
      }
      if (naming != Naming::None) out += '#';
      out.append(line);
      out += "\r\n";
      if (naming == Naming::Some) {
        AppendOtherNames(line, Domain_, out);
        out += "\r\n";
      }
      if (out.size() >= kWriteChunk) {
        file.Write(out);
        out.clear();
      }
    }
    file.Write(out);
  };
  return ReplaceContents(files_, FilePath_, write, expected);
}

}  // namespace veltrim::hostfix
