#include "Win32Platform.h"

#include <windows.h>

#include <atomic>
#include <cstdio>

#include "ApplicationTitle.h"
#include "Win32Error.h"
#include "Win32Handle.h"

namespace veltrim::platform {

namespace {

// A virus scanner or backup program that holds a host file open usually lets go within a
// moment, so sharing conflicts are retried for about a second before they count.
constexpr int kSharingAttempts = 10;
constexpr DWORD kSharingPauseMs = 100;

bool IsSharingConflict(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

HANDLE OpenRetrying(const std::string& path, DWORD access, DWORD share, DWORD disposition) {
  for (int attempt = 1;; ++attempt) {
    HANDLE handle = ::CreateFileA(path.c_str(), access, share, nullptr, disposition,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) return handle;
    DWORD error = ::GetLastError();
    if (!IsSharingConflict(error) || attempt == kSharingAttempts) {
      ::SetLastError(error);
      return INVALID_HANDLE_VALUE;
    }
    ::Sleep(kSharingPauseMs);
  }
}

bool Exists(const std::string& path) {
  return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A name in the same folder that no other run or call of this process uses.
std::string SiblingName(const std::string& path, const char* suffix) {
  static std::atomic<unsigned> counter{0};
  char tail[64];
  std::snprintf(tail, std::size(tail), ".%lx-%u.%s", ::GetCurrentProcessId(), ++counter, suffix);
  return path + tail;
}

class Win32OutputFile final : public OutputFile {
 public:
  Win32OutputFile(std::string path, HANDLE handle) : path_(std::move(path)), handle_(handle) {}

  const std::string& Path() const override { return path_; }

  void Write(std::string_view bytes) override {
    while (!bytes.empty()) {
      DWORD chunk = bytes.size() > 0x10000000 ? 0x10000000 : static_cast<DWORD>(bytes.size());
      DWORD written = 0;
      if (!::WriteFile(handle_.Get(), bytes.data(), chunk, &written, nullptr)) {
        ThrowLastError("write", path_);
      }
      bytes.remove_prefix(written);
    }
  }

  void Flush() override {
    if (!::FlushFileBuffers(handle_.Get())) ThrowLastError("write to the disk", path_);
  }

  void Close() override {
    if (!handle_.Close()) ThrowLastError("close", path_);
  }

 private:
  std::string path_;
  AutoCloseHandle handle_;
};

}  // namespace

unsigned Win32Platform::GetSystemDirectoryA(char* buffer, unsigned capacity) {
  return ::GetSystemDirectoryA(buffer, capacity);
}

void Win32Platform::Sleep(unsigned milliseconds) { ::Sleep(milliseconds); }

void Win32Platform::StartProgram(const std::string& program, const std::string& commandLine,
                                 WindowState state) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = state == WindowState::Hidden ? SW_HIDE : SW_SHOWMAXIMIZED;
  PROCESS_INFORMATION process = {};
  std::string mutableLine = commandLine;  // CreateProcessA may write into it
  if (!::CreateProcessA(program.c_str(), mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
    ThrowLastError("start", program);
  }
  AutoCloseHandle processHandle(process.hProcess);
  AutoCloseHandle threadHandle(process.hThread);
}

MessageAnswer Win32Platform::ShowMessage(const std::string& text, MessageButtons buttons) {
  UINT style =
      (buttons == MessageButtons::YesNo ? MB_YESNO : MB_OK) | MB_TASKMODAL | MB_SETFOREGROUND;
  int pressed = ::MessageBoxA(nullptr, text.c_str(), kApplicationTitle, style);
  if (pressed == 0) ThrowLastError("show the message", "\"" + text + "\"");
  if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
  return pressed == IDYES ? MessageAnswer::Yes : MessageAnswer::No;
}

void Win32Platform::ToUpper(std::string& text) {
  if (!text.empty()) ::CharUpperBuffA(text.data(), static_cast<DWORD>(text.size()));
}

bool Win32Platform::IsOrdinaryFile(const std::string& path) {
  DWORD attributes = ::GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  return (attributes &
          (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) == 0;
}

std::string Win32Platform::ReadFile(const std::string& path) {
  AutoCloseHandle file(
      OpenRetrying(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING));
  if (!file.IsValid()) ThrowLastError("open for reading", path);
  std::string contents;
  char buffer[16384];
  for (;;) {
    DWORD got = 0;
    if (!::ReadFile(file.Get(), buffer, static_cast<DWORD>(std::size(buffer)), &got, nullptr)) {
      ThrowLastError("read", path);
    }
    if (got == 0) break;
    contents.append(buffer, got);
  }
  return contents;
}

void Win32Platform::CheckWritable(const std::string& path) {
  AutoCloseHandle file(OpenRetrying(
      path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING));
  if (!file.IsValid()) ThrowLastError("open for writing", path);
}

std::unique_ptr<OutputFile> Win32Platform::CreateFileBeside(const std::string& path) {
  for (;;) {
    std::string name = SiblingName(path, "veltrim-new");
    HANDLE handle = ::CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) return std::make_unique<Win32OutputFile>(name, handle);
    if (::GetLastError() != ERROR_FILE_EXISTS) ThrowLastError("create a new file beside", path);
  }
}

void Win32Platform::PutInPlace(const std::string& target, const std::string& replacement) {
  // Without a backup name a failure part way (error 1176) can leave nothing under the target's
  // name, so the old file is moved aside first and put back if the replacement does not land.
  std::string backup = SiblingName(target, "veltrim-old");
  for (int attempt = 1;; ++attempt) {
    if (::ReplaceFileA(target.c_str(), replacement.c_str(), backup.c_str(),
                       REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
      ::DeleteFileA(backup.c_str());
      return;
    }
    DWORD error = ::GetLastError();
    if (IsSharingConflict(error) && attempt < kSharingAttempts) {
      ::Sleep(kSharingPauseMs);
      continue;
    }
    if (Exists(backup)) {
      if (Exists(target)) {
        ::DeleteFileA(backup.c_str());
      } else {
        ::MoveFileExA(backup.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH);
      }
    }
    ThrowError(error, "replace", target);
  }
}

void Win32Platform::RemoveFile(const std::string& path) noexcept { ::DeleteFileA(path.c_str()); }

Platform& SystemPlatform() {
  static Win32Platform platform;
  return platform;
}

}  // namespace veltrim::platform
