#include "HostFileHandler.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "FixMessages.h"
#include "HostFileText.h"
#include "ReplaceContents.h"

namespace veltrim::hostfix {

namespace {

// Gathers the new contents and hands them to the file in pieces, not a write for every line.
class ChunkedWriter {
 public:
  // A small file takes a small buffer: the repair is as quick on a file of four lines. The
  // buffer is exactly its size, so that a write past its end is seen by the address sanitizer.
  ChunkedWriter(platform::OutputFile& file, std::size_t expected, std::size_t piece)
      : file_(file), size_(std::min(expected, piece)), buffer_(std::make_unique<char[]>(size_)) {}

  void Put(std::string_view bytes) {
    written_ += bytes.size();
    if (bytes.size() > size_ - used_) {
      Drain();
      if (bytes.size() > size_) return file_.Write(bytes);
    }
    std::memcpy(buffer_.get() + used_, bytes.data(), bytes.size());
    used_ += bytes.size();
  }

  // The line and CR LF after it.
  void PutLine(std::string_view line) {
    written_ += line.size() + 2;
    if (line.size() + 2 > size_ - used_) {
      Drain();
      if (line.size() + 2 > size_) {
        file_.Write(line);
        return file_.Write("\r\n");
      }
    }
    std::memcpy(buffer_.get() + used_, line.data(), line.size());
    used_ += line.size();
    buffer_[used_++] = '\r';
    buffer_[used_++] = '\n';
  }

  std::uint64_t Written() const { return written_; }

  void Drain() {
    file_.Write(std::string_view(buffer_.get(), used_));
    used_ = 0;
  }

 private:
  platform::OutputFile& file_;
  std::size_t size_;
  std::unique_ptr<char[]> buffer_;
  std::size_t used_ = 0;
  std::uint64_t written_ = 0;
};

}  // namespace

std::string RepairLockPath(const std::string& systemFolder) {
  return systemFolder.empty() ? std::string() : systemFolder + "\\drivers\\etc\\veltrim.lock";
}

bool HostFileHandler::IsPresent() const {
  if (FilePath_.empty()) return false;
  const platform::PathKind kind = files_.KindOf(FilePath_);
  if (kind == platform::PathKind::Link) throw std::runtime_error(LinkNotFollowed(FilePath_));
  return kind == platform::PathKind::File;
}

void HostFileHandler::ProcessFile(const std::string& FilePath, const std::string& Domain) {
  Repair(FilePath, NameRule(Domain));
}

void HostFileHandler::UnblockHosts(const std::string& FilePath,
                                   const std::vector<std::string>& hosts) {
  Repair(FilePath, NameRule::Exactly(hosts));
}

void HostFileHandler::Repair(const std::string& FilePath, NameRule rule) {
  FilePath_ = FilePath;
  rule_ = std::move(rule);
  rewritten_ = false;
  repairedNames_.clear();
  // What the last repair read is needed for its undo alone, which this call ends either way.
  LineBuffer_ = std::string();
  if (!IsPresent()) return;
  const std::unique_ptr<platform::HeldFile> lock = Lock();
  // Under the lock, no other Veltrim is writing a new file: whatever is left is a killed run's.
  files_.RemoveLeftoversBeside(FilePath_);

  for (int attempt = 1;; ++attempt) {
    std::string contents;
    try {
      contents = files_.ReadFile(FilePath_, kMaxHostFileBytes);
    } catch (const platform::FileOverLimit& large) {
      throw std::runtime_error(FileTooLarge(FilePath_, large.Size(), kMaxHostFileBytes, false));
    }
    // Read as single-byte text, UTF-16 would be split inside its characters and written back
    // corrupted.
    if (IsUtf16(contents)) return;
    // A file with nothing to repair is left as it is: rewriting a long list would only make the
    // system's resolver read it all again.
    std::vector<RepairedName> names = NamesRepaired(contents, rule_);
    if (names.empty()) return;
    LineBuffer_ = std::move(contents);

    if (WritePass(true, LineBuffer_)) {
      rewritten_ = true;
      repairedNames_ = std::move(names);
      return;
    }
    if (attempt == kAttempts) {
      throw std::runtime_error(KeptChanging(FilePath_));
    }
  }
}

void HostFileHandler::RestoreFile() {
  if (!rewritten_ || !IsPresent()) return;
  const std::unique_ptr<platform::HeldFile> lock = Lock();
  WritePass(false, std::nullopt);
}

std::unique_ptr<platform::HeldFile> HostFileHandler::Lock() {
  // Not in the root of the current drive instead.
  if (lockPath_.empty()) throw std::runtime_error(NoSystemFolder());
  try {
    return files_.OpenSharingNothing(lockPath_, kLockWaitMs);
  } catch (const platform::FileBusy&) {
    throw std::runtime_error(AnotherVeltrimRepairing(FilePath_));
  }
}

bool HostFileHandler::WritePass(bool mark, std::optional<std::string_view> expected) {
  // The rename that replaces the file would succeed even on a file that may not be changed.
  files_.CheckWritable(FilePath_);
  const auto write = [&](platform::OutputFile& file) {
    // Each line gains at most a CR and a "#"; only a line with several names gains more.
    ChunkedWriter out(file, LineBuffer_.size() + LineBuffer_.size() / 8 + 64, pieceBytes_);
    std::string_view text = LineBuffer_;
    out.Put(text.substr(0, Utf8MarkLength(text)));
    for (text.remove_prefix(Utf8MarkLength(text)); !text.empty();) {
      const std::string_view line = TakeLine(text);
      const Naming naming = mark ? NamesHost(line, rule_) : Naming::None;
      if (naming != Naming::None) out.Put("#");
      out.PutLine(line);
      if (naming == Naming::Some) {
        std::string others;
        AppendOtherNames(line, rule_, others);
        out.PutLine(others);
      }
    }
    out.Drain();
    // Every line comes back ending in CR LF, and a line with other names gains a copy: a list
    // just under the bound could come back over it, and the next repair would refuse it. The
    // new file is then removed before it replaces anything.
    if (out.Written() > kMaxHostFileBytes) {
      throw std::runtime_error(FileTooLarge(FilePath_, out.Written(), kMaxHostFileBytes, true));
    }
  };
  return ReplaceContents(files_, FilePath_, write, expected);
}

}  // namespace veltrim::hostfix
