// Comments out, in one host file, every line that names a host, and keeps the lines it
// read so that the file can be written back as it was.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "FileSystem.h"
#include "HostFileText.h"

namespace veltrim::hostfix {

// The repairs' lock, a file in the system's own host files folder, which only administrators
// and the system may write to (why a file: docs/design.md); empty when `systemFolder` is.
std::string RepairLockPath(const std::string& systemFolder);

class HostFileHandler {
 public:
  // Another program that writes the file while it is being repaired (a VPN client, a
  // container tool) gets its change kept: the repair starts over from the new contents, this
  // many times in all before it gives up.
  static constexpr int kAttempts = 3;

  // The new file is written in pieces of this many bytes at most.
  static constexpr std::size_t kPieceBytes = std::size_t{1} << 16;

  // Another Veltrim's repair of both files takes well under a second, holds waited out included.
  static constexpr unsigned kLockWaitMs = 8000;

  // `lockPath` is the file that every Veltrim holds while it repairs (RepairLockPath), or the
  // empty text where the system folder is not known. `pieceBytes` other than the default is
  // for tests, which reach a piece's bounds with small files.
  HostFileHandler(platform::FileSystem& files, std::string lockPath,
                  std::size_t pieceBytes = kPieceBytes)
      : files_(files), lockPath_(std::move(lockPath)), pieceBytes_(pieceBytes) {}

  // Undoes the last ProcessFile, if it rewrote the file: writes back the lines it read. After
  // a ProcessFile that rewrote nothing, it does nothing.
  void RestoreFile();
  // Rewrites the file, if it exists, with "#" before every line that names the host `Domain`
  // (ASCII) or a name under it. A line that names other hosts too is followed by a copy
  // without the names of this one, so that those stay as they were. A file in which no line
  // names the host is not touched. Throws, leaving the file unchanged, when it cannot be
  // repaired.
  void ProcessFile(const std::string& FilePath, const std::string& Domain);
  // The same for exactly `hosts` (ASCII, lower case), hosts that a page needs: lines that name
  // one of them, and only those names, not the names under them.
  void UnblockHosts(const std::string& FilePath, const std::vector<std::string>& hosts);
  // The names of the lines commented out by the last ProcessFile, with the addresses those
  // lines gave them: none when it rewrote nothing.
  const std::vector<RepairedName>& RepairedNames() const { return repairedNames_; }

 private:
  // Throws for a link, which the repair would replace with a file.
  bool IsPresent() const;
  // Two Veltrims at once would each replace the file with their own repair of what they read,
  // and one repair would be lost; so each holds this from its read to its rename.
  std::unique_ptr<platform::HeldFile> Lock();
  void Repair(const std::string& FilePath, NameRule rule);
  // Writes the lines, each followed by CR LF, repairing those that the rule takes when `mark`
  // is set; the file is replaced in one step. False, with nothing written, when the file no
  // longer holds `expected`.
  bool WritePass(bool mark, std::optional<std::string_view> expected);

  platform::FileSystem& files_;
  std::string lockPath_;
  std::size_t pieceBytes_;
  // The file as last read, every line in its own bytes, with the line ends it had: the passes
  // step through it line by line, and nothing of it is copied a line at a time.
  std::string LineBuffer_;
  std::string FilePath_;
  // The host of the last ProcessFile, or the hosts of the last UnblockHosts.
  NameRule rule_{std::string_view()};
  // Whether the last ProcessFile rewrote the file, and so what RestoreFile may undo.
  bool rewritten_ = false;
  std::vector<RepairedName> repairedNames_;
};

}  // namespace veltrim::hostfix
