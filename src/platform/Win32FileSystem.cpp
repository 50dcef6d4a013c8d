#include "Win32FileSystem.h"

#include <aclapi.h>
#include <windows.h>

#include <atomic>

#include "SiblingNames.h"
#include "Win32Error.h"
#include "Win32Handle.h"
#include "Win32Text.h"

namespace veltrim::platform {

namespace {

// A virus scanner or backup program that holds a host file open usually lets go within a
// moment, so sharing conflicts are retried for about a second before they count.
constexpr int kSharingAttempts = 10;
constexpr DWORD kSharingPauseMs = 100;

bool IsSharingConflict(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

// Runs `attempt` until it succeeds, fails for another reason or the conflicts last too long;
// the last error is left in GetLastError.
template <typename Attempt>
bool RetryingSharingConflicts(Attempt attempt) {
  for (int round = 1;; ++round) {
    if (attempt()) return true;
    DWORD error = ::GetLastError();
    if (!IsSharingConflict(error) || round == kSharingAttempts) {
      ::SetLastError(error);
      return false;
    }
    ::Sleep(kSharingPauseMs);
  }
}

HANDLE OpenRetrying(const std::string& path, DWORD access, DWORD share) {
  const std::wstring wide = Widen(path);
  HANDLE handle = INVALID_HANDLE_VALUE;
  RetryingSharingConflicts([&] {
    handle = ::CreateFileW(wide.c_str(), access, share, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    return handle != INVALID_HANDLE_VALUE;
  });
  return handle;
}

// The part of a path after its last backslash or slash.
std::string FileNameOf(const std::string& path) {
  std::string::size_type slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
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

// A security descriptor that LocalFree releases.
class LocalSecurityDescriptor {
 public:
  LocalSecurityDescriptor() = default;
  LocalSecurityDescriptor(const LocalSecurityDescriptor&) = delete;
  LocalSecurityDescriptor& operator=(const LocalSecurityDescriptor&) = delete;
  ~LocalSecurityDescriptor() {
    if (descriptor_ != nullptr) ::LocalFree(descriptor_);
  }
  PSECURITY_DESCRIPTOR* Out() { return &descriptor_; }
  PSECURITY_DESCRIPTOR Get() const { return descriptor_; }

 private:
  PSECURITY_DESCRIPTOR descriptor_ = nullptr;
};

}  // namespace

bool Win32FileSystem::IsFile(const std::string& path) {
  DWORD attributes = ::GetFileAttributesW(Widen(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  return (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0;
}

std::string Win32FileSystem::ReadFile(const std::string& path) {
  AutoCloseHandle file(OpenRetrying(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE));
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

void Win32FileSystem::CheckWritable(const std::string& path) {
  AutoCloseHandle file(
      OpenRetrying(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE));
  if (!file.IsValid()) ThrowLastError("open for writing", path);
}

std::unique_ptr<OutputFile> Win32FileSystem::CreateFileBeside(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  for (;;) {
    std::string name = NewFileNameBeside(path, ::GetCurrentProcessId(), ++counter);
    HANDLE handle = ::CreateFileW(Widen(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) return std::make_unique<Win32OutputFile>(name, handle);
    if (::GetLastError() != ERROR_FILE_EXISTS) ThrowLastError("create a new file beside", path);
  }
}

void Win32FileSystem::CopyProtection(const std::string& original, const std::string& copy) {
  std::wstring from = Widen(original);
  std::wstring to = Widen(copy);
  LocalSecurityDescriptor descriptor;
  PACL dacl = nullptr;
  DWORD error = ::GetNamedSecurityInfoW(from.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                        nullptr, nullptr, &dacl, nullptr, descriptor.Out());
  if (error != ERROR_SUCCESS) ThrowError(error, "read the permissions of", original);
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  if (!::GetSecurityDescriptorControl(descriptor.Get(), &control, &revision)) {
    ThrowLastError("read the permissions of", original);
  }
  // Inherited entries come again from the same folder; a DACL that was cut off from its
  // folder's stays cut off.
  SECURITY_INFORMATION what = DACL_SECURITY_INFORMATION;
  what |= (control & SE_DACL_PROTECTED) != 0 ? PROTECTED_DACL_SECURITY_INFORMATION
                                             : UNPROTECTED_DACL_SECURITY_INFORMATION;
  error = ::SetNamedSecurityInfoW(to.data(), SE_FILE_OBJECT, what, nullptr, nullptr, dacl, nullptr);
  if (error != ERROR_SUCCESS)
    ThrowError(error, "give the permissions of " + original + " to", copy);

  DWORD attributes = ::GetFileAttributesW(from.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) ThrowLastError("read the attributes of", original);
  // Hidden and system too: programs that take over name resolution set them, and a repair
  // changes only the lines.
  constexpr DWORD kCopied = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED |
                            FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  attributes &= kCopied;
  if (!::SetFileAttributesW(to.c_str(), attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL)) {
    ThrowLastError("give the attributes of " + original + " to", copy);
  }
}

void Win32FileSystem::PutInPlace(const std::string& target, const std::string& replacement) {
  std::wstring to = Widen(target);
  std::wstring from = Widen(replacement);
  if (!RetryingSharingConflicts([&] {
        return ::MoveFileExW(from.c_str(), to.c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
      })) {
    ThrowLastError("replace", target);
  }
}

void Win32FileSystem::RemoveFile(const std::string& path) noexcept {
  ::DeleteFileW(Widen(path).c_str());
}

void Win32FileSystem::RemoveLeftoversBeside(const std::string& path) noexcept {
  try {
    const std::string folder = path.substr(0, path.size() - FileNameOf(path).size());
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW(Widen(path + ".*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
      std::string name = Narrow(found.cFileName);
      if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
          IsNewFileNameOf(FileNameOf(path), name)) {
        ::DeleteFileW(Widen(folder + name).c_str());
      }
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
  } catch (...) {
    // Out of memory: the leftovers stay until the next run.
  }
}

}  // namespace veltrim::platform
