#include "NativeFileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

#include "ReadWhole.h"
#include "Scoped.h"
#include "SiblingNames.h"
#include "SystemError.h"

namespace veltrim::platform {

namespace {

[[noreturn]] void ThrowErrno(const std::string& action, const std::string& path) {
  int number = errno;
  throw SystemError(static_cast<unsigned long>(number), std::strerror(number), action, path);
}

class PosixOutputFile final : public OutputFile {
 public:
  PosixOutputFile(std::string path, ScopedFd&& fd) : path_(std::move(path)), fd_(std::move(fd)) {}
  const std::string& Path() const override { return path_; }
  void Write(std::string_view bytes) override {
    while (!bytes.empty()) {
      ssize_t written = ::write(fd_.Get(), bytes.data(), bytes.size());
      if (written < 0) {
        if (errno == EINTR) continue;
        ThrowErrno("write", path_);
      }
      bytes.remove_prefix(static_cast<size_t>(written));
    }
  }
  void Flush() override {
    if (::fsync(fd_.Get()) != 0) ThrowErrno("write to the disk", path_);
  }
  void Close() override {
    if (!fd_.Free()) ThrowErrno("close", path_);
  }

 private:
  std::string path_;
  ScopedFd fd_;
};

constexpr int kPauseMs = 50;
constexpr int kRepairLockWaitMs = 5000;

// Every repair locks the host files' folder: a lock that the system lets go of when the
// process ends, however it ends.
struct FolderLock final : RepairLock {
  explicit FolderLock(int descriptor) : fd(descriptor) {}
  ScopedFd fd;
};

std::string::size_type FileNameStart(const std::string& path) {
  std::string::size_type slash = path.rfind('/');
  return slash == std::string::npos ? 0 : slash + 1;
}

}  // namespace

bool NativeFileSystem::IsFile(const std::string& path) {
  struct stat info {};
  if (path.empty() || ::lstat(path.c_str(), &info) != 0) return false;
  if (S_ISLNK(info.st_mode)) throw LinkNotFollowed(path);
  return S_ISREG(info.st_mode);
}

namespace {

ScopedFd OpenForReading(const std::string& path) {
  ScopedFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.IsSet()) ThrowErrno("open for reading", path);
  return fd;
}

std::size_t ReadSome(const ScopedFd& fd, const std::string& path, char* buffer,
                     std::size_t capacity) {
  for (;;) {
    const ssize_t read = ::read(fd.Get(), buffer, capacity);
    if (read >= 0) return static_cast<std::size_t>(read);
    if (errno != EINTR) ThrowErrno("read", path);
  }
}

}  // namespace

std::string NativeFileSystem::ReadFile(const std::string& path, std::size_t limit) {
  const ScopedFd fd = OpenForReading(path);
  struct stat info {};
  if (::fstat(fd.Get(), &info) != 0) ThrowErrno("read", path);
  return ReadWhole(
      path, static_cast<std::uint64_t>(info.st_size), limit,
      [&](char* buffer, std::size_t capacity) { return ReadSome(fd, path, buffer, capacity); });
}

bool NativeFileSystem::Holds(const std::string& path, std::string_view expected) {
  const ScopedFd fd = OpenForReading(path);
  return ReadsAs(expected, [&](char* buffer, std::size_t capacity) {
    return ReadSome(fd, path, buffer, capacity);
  });
}

void NativeFileSystem::CheckWritable(const std::string& path) {
  ScopedFd fd(::open(path.c_str(), O_WRONLY | O_CLOEXEC));
  if (!fd.IsSet()) ThrowErrno("open for writing", path);
}

std::unique_ptr<OutputFile> NativeFileSystem::CreateFileBeside(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  for (;;) {
    std::string name = NewFileNameBeside(path, static_cast<unsigned long>(::getpid()), ++counter);
    ScopedFd fd(::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (fd.IsSet()) return std::make_unique<PosixOutputFile>(name, std::move(fd));
    if (errno != EEXIST) ThrowErrno("create a new file beside", path);
  }
}

void NativeFileSystem::CopyProtection(const std::string& original, const std::string& copy) {
  struct stat info {};
  if (::stat(original.c_str(), &info) != 0) ThrowErrno("read the permissions of", original);
  if (::chmod(copy.c_str(), info.st_mode & 07777) != 0) {
    ThrowErrno("give the permissions of " + original + " to", copy);
  }
}

std::unique_ptr<RepairLock> NativeFileSystem::LockForRepair(const std::string& path) {
  const std::string folder = path.substr(0, FileNameStart(path));
  auto lock = std::make_unique<FolderLock>(
      ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!lock->fd.IsSet()) ThrowErrno("lock the folder of", path);
  for (int waited = 0; ::flock(lock->fd.Get(), LOCK_EX | LOCK_NB) != 0; waited += kPauseMs) {
    if (errno != EWOULDBLOCK || waited >= kRepairLockWaitMs) return nullptr;
    ::usleep(kPauseMs * 1000);
  }
  return lock;
}

bool NativeFileSystem::PutInPlace(const std::string& target, const std::string& replacement,
                                  const std::function<bool()>& unchanged) {
  // No program can hold a file here against a rename: the check and the rename follow at once.
  if (!unchanged()) return false;
  if (::rename(replacement.c_str(), target.c_str()) != 0) ThrowErrno("replace", target);
  return true;
}

void NativeFileSystem::RemoveFile(const std::string& path) noexcept { ::unlink(path.c_str()); }

void NativeFileSystem::RemoveLeftoversBeside(const std::string& path) noexcept {
  try {
    const std::string folder = path.substr(0, FileNameStart(path));
    const std::string fileName = path.substr(FileNameStart(path));
    ScopedDirectory directory(::opendir(folder.empty() ? "." : folder.c_str()));
    if (!directory.IsSet()) return;
    while (const dirent* entry = ::readdir(directory.Get())) {
      if (IsNewFileNameOf(fileName, entry->d_name)) ::unlink((folder + entry->d_name).c_str());
    }
  } catch (...) {
    // Out of memory: the leftovers stay until the next run.
  }
}

}  // namespace veltrim::platform
