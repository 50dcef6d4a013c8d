#include "PosixPlatform.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "SystemError.h"

namespace veltrim::platform {

namespace {

[[noreturn]] void ThrowErrno(const std::string& action, const std::string& path) {
  int number = errno;
  throw SystemError(static_cast<unsigned long>(number), std::strerror(number), action, path);
}

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() { Close(); }
  int Get() const { return fd_; }
  bool Close() {
    if (fd_ < 0) return true;
    int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

class PosixOutputFile final : public OutputFile {
 public:
  PosixOutputFile(std::string path, int fd) : path_(std::move(path)), fd_(fd) {}
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
    if (!fd_.Close()) ThrowErrno("close", path_);
  }

 private:
  std::string path_;
  FileDescriptor fd_;
};

}  // namespace

unsigned PosixPlatform::GetSystemDirectoryA(char*, unsigned) { return 0; }

void PosixPlatform::Sleep(unsigned milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void PosixPlatform::StartProgram(const std::string& program, const std::string&, WindowState) {
  throw SystemError(ENOSYS, std::strerror(ENOSYS), "start", program);
}

MessageAnswer PosixPlatform::ShowMessage(const std::string& text, MessageButtons) {
  throw SystemError(ENOSYS, std::strerror(ENOSYS), "show the message", "\"" + text + "\"");
}

void PosixPlatform::ToUpper(std::string& text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
}

bool PosixPlatform::IsOrdinaryFile(const std::string& path) {
  struct stat info {};
  return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string PosixPlatform::ReadFile(const std::string& path) {
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.Get() < 0) ThrowErrno("open for reading", path);
  std::string contents;
  char buffer[16384];
  for (;;) {
    ssize_t got = ::read(fd.Get(), buffer, sizeof buffer);
    if (got < 0) {
      if (errno == EINTR) continue;
      ThrowErrno("read", path);
    }
    if (got == 0) break;
    contents.append(buffer, static_cast<size_t>(got));
  }
  return contents;
}

void PosixPlatform::CheckWritable(const std::string& path) {
  FileDescriptor fd(::open(path.c_str(), O_WRONLY | O_CLOEXEC));
  if (fd.Get() < 0) ThrowErrno("open for writing", path);
}

std::unique_ptr<OutputFile> PosixPlatform::CreateFileBeside(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  for (;;) {
    std::string name =
        path + "." + std::to_string(::getpid()) + "-" + std::to_string(++counter) + ".veltrim-new";
    int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd >= 0) return std::make_unique<PosixOutputFile>(name, fd);
    if (errno != EEXIST) ThrowErrno("create a new file beside", path);
  }
}

void PosixPlatform::PutInPlace(const std::string& target, const std::string& replacement) {
  struct stat info {};
  if (::stat(target.c_str(), &info) == 0) ::chmod(replacement.c_str(), info.st_mode & 07777);
  if (::rename(replacement.c_str(), target.c_str()) != 0) ThrowErrno("replace", target);
}

void PosixPlatform::RemoveFile(const std::string& path) noexcept { ::unlink(path.c_str()); }

Platform& SystemPlatform() {
  static PosixPlatform platform;
  return platform;
}

}  // namespace veltrim::platform
