#include "Win32FileSystem.h"

#include <aclapi.h>
#include <sddl.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <vector>

#include "ReadWhole.h"
#include "Scoped.h"
#include "SiblingNames.h"
#include "Win32Error.h"
#include "Win32Text.h"

namespace veltrim::platform {

namespace {

// A virus scanner, backup program or editor that holds a host file open usually lets go within
// a moment, so a hold is waited out for about two seconds before it counts.
constexpr ULONGLONG kHoldWaitMs = 2000;
constexpr DWORD kHoldPauseMs = 50;

// Opening a file that another program holds without sharing what is asked fails with a
// sharing or lock violation; renaming over it, whatever it shares, with "access denied".
bool IsHold(DWORD error, bool renaming) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
         (renaming && error == ERROR_ACCESS_DENIED);
}

// Runs `attempt`, which answers a Win32 error number (0 on success), until it succeeds, fails
// for another reason than a hold, or the holds last too long; answers the last error.
template <typename Attempt>
DWORD WaitingOutHolds(bool renaming, Attempt attempt) {
  const ULONGLONG deadline = ::GetTickCount64() + kHoldWaitMs;
  for (;;) {
    const DWORD error = attempt();
    if (error == ERROR_SUCCESS || !IsHold(error, renaming) || ::GetTickCount64() >= deadline) {
      return error;
    }
    ::Sleep(kHoldPauseMs);
  }
}

DWORD ErrorUnless(bool succeeded) { return succeeded ? ERROR_SUCCESS : ::GetLastError(); }

ScopedHandle OpenRetrying(const std::string& path, DWORD access, DWORD share) {
  const std::wstring wide = Widen(path);
  HANDLE handle = INVALID_HANDLE_VALUE;
  const DWORD error = WaitingOutHolds(false, [&] {
    handle = ::CreateFileW(wide.c_str(), access, share, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    return ErrorUnless(handle != INVALID_HANDLE_VALUE);
  });
  ::SetLastError(error);
  return ScopedHandle(handle);
}

// Renames `from` over `to`, which this process holds open sharing only reading and deleting,
// in one step of the file system: Windows 10 1709 and later, on NTFS. Answers the error, and
// ERROR_NOT_SUPPORTED where the system cannot.
DWORD RenameOverHeldFile(const std::wstring& from, const std::wstring& to) {
  ScopedHandle source(::CreateFileW(from.c_str(), DELETE | SYNCHRONIZE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!source.IsSet()) return ::GetLastError();
  std::vector<unsigned char> buffer(sizeof(FILE_RENAME_INFO) + to.size() * sizeof(wchar_t));
  auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  rename->Flags = FILE_RENAME_FLAG_POSIX_SEMANTICS | FILE_RENAME_FLAG_REPLACE_IF_EXISTS;
  rename->RootDirectory = nullptr;
  rename->FileNameLength = static_cast<DWORD>(to.size() * sizeof(wchar_t));
  std::copy(to.begin(), to.end(), rename->FileName);
  // FileRenameInfoEx, which MinGW's headers declare only for a later _WIN32_WINNT form.
  constexpr auto kFileRenameInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(22);
  if (::SetFileInformationByHandle(source.Get(), kFileRenameInfoEx, rename,
                                   static_cast<DWORD>(buffer.size()))) {
    return ERROR_SUCCESS;
  }
  const DWORD error = ::GetLastError();
  return error == ERROR_INVALID_PARAMETER || error == ERROR_INVALID_FUNCTION ||
                 error == ERROR_NOT_SUPPORTED
             ? ERROR_NOT_SUPPORTED
             : error;
}

class Win32HeldFile final : public HeldFile {
 public:
  explicit Win32HeldFile(ScopedHandle&& file) : file_(std::move(file)) {}

 private:
  ScopedHandle file_;
};

// Administrators and the system alone, with no inherited entries: no program without those
// rights can open it for its data, put anything in its place or make it first.
constexpr wchar_t kLockSecurity[] = L"D:P(A;;FA;;;BA)(A;;FA;;;SY)";

// The part of a path after its last backslash or slash.
std::string FileNameOf(const std::string& path) {
  std::string::size_type slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

class Win32OutputFile final : public OutputFile {
 public:
  Win32OutputFile(std::string path, ScopedHandle&& handle)
      : path_(std::move(path)), handle_(std::move(handle)) {}

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
    if (!handle_.Free()) ThrowLastError("close", path_);
  }

 private:
  std::string path_;
  ScopedHandle handle_;
};

}  // namespace

PathKind Win32FileSystem::KindOf(const std::string& path) {
  const std::wstring wide = Widen(path);
  // The name itself, not what a link points to; asking for its attributes alone conflicts with
  // no program that holds it.
  ScopedHandle file(::CreateFileW(
      wide.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  FILE_ATTRIBUTE_TAG_INFO info = {};
  if (!file.IsSet() ||
      !::GetFileInformationByHandleEx(file.Get(), FileAttributeTagInfo, &info, sizeof(info))) {
    info.FileAttributes = ::GetFileAttributesW(wide.c_str());
    if (info.FileAttributes == INVALID_FILE_ATTRIBUTES) return PathKind::None;
    // A reparse point of a kind that cannot be read is taken for a link.
    info.ReparseTag = IO_REPARSE_TAG_SYMLINK;
  }
  // Compressed (WOF), deduplicated and cloud files are reparse points too, and ordinary files
  // to the resolver; a symbolic link or a junction stands for another name, a folder's included,
  // which the resolver would follow to whatever file it finds there.
  if ((info.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
      IsReparseTagNameSurrogate(info.ReparseTag)) {
    return PathKind::Link;
  }
  return (info.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ? PathKind::File : PathKind::None;
}

namespace {

ScopedHandle OpenForReading(const std::string& path) {
  ScopedHandle file = OpenRetrying(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
  if (!file.IsSet()) ThrowLastError("open for reading", path);
  return file;
}

std::size_t ReadSome(const ScopedHandle& file, const std::string& path, char* buffer,
                     std::size_t capacity) {
  DWORD read = 0;
  const auto chunk = static_cast<DWORD>(std::min<std::size_t>(capacity, 1 << 24));
  if (!::ReadFile(file.Get(), buffer, chunk, &read, nullptr)) ThrowLastError("read", path);
  return static_cast<std::size_t>(read);
}

}  // namespace

std::string Win32FileSystem::ReadFile(const std::string& path, std::size_t limit) {
  const ScopedHandle file = OpenForReading(path);
  LARGE_INTEGER size = {};
  if (!::GetFileSizeEx(file.Get(), &size)) ThrowLastError("read", path);
  return ReadWhole(
      path, static_cast<std::uint64_t>(size.QuadPart), limit,
      [&](char* buffer, std::size_t capacity) { return ReadSome(file, path, buffer, capacity); });
}

bool Win32FileSystem::Holds(const std::string& path, std::string_view expected) {
  const ScopedHandle file = OpenForReading(path);
  return ReadsAs(expected, [&](char* buffer, std::size_t capacity) {
    return ReadSome(file, path, buffer, capacity);
  });
}

void Win32FileSystem::CheckWritable(const std::string& path) {
  ScopedHandle file =
      OpenRetrying(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
  if (!file.IsSet()) ThrowLastError("open for writing", path);
}

std::unique_ptr<OutputFile> Win32FileSystem::CreateFileBeside(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  for (;;) {
    std::string name = NewFileNameBeside(path, ::GetCurrentProcessId(), ++counter);
    ScopedHandle handle(::CreateFileW(Widen(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (handle.IsSet()) return std::make_unique<Win32OutputFile>(name, std::move(handle));
    if (::GetLastError() != ERROR_FILE_EXISTS) ThrowLastError("create a new file beside", path);
  }
}

void Win32FileSystem::CopyProtection(const std::string& original, const std::string& copy) {
  std::wstring from = Widen(original);
  std::wstring to = Widen(copy);
  ScopedLocal<PSECURITY_DESCRIPTOR> descriptor;
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
  // The new file may be held by a scanner that looks at every file as it is closed.
  error = WaitingOutHolds(false, [&] {
    return ::SetNamedSecurityInfoW(to.data(), SE_FILE_OBJECT, what, nullptr, nullptr, dacl,
                                   nullptr);
  });
  if (error != ERROR_SUCCESS)
    ThrowError(error, "give the permissions of " + original + " to", copy);

  DWORD attributes = ::GetFileAttributesW(from.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) ThrowLastError("read the attributes of", original);
  // Hidden and system too: programs that take over name resolution set them, and a repair
  // changes only the lines.
  constexpr DWORD kCopied = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED |
                            FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  attributes &= kCopied;
  error = WaitingOutHolds(false, [&] {
    return ErrorUnless(
        ::SetFileAttributesW(to.c_str(), attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL));
  });
  if (error != ERROR_SUCCESS) ThrowError(error, "give the attributes of " + original + " to", copy);
}

std::unique_ptr<HeldFile> Win32FileSystem::OpenSharingNothing(const std::string& path,
                                                              unsigned waitMs) {
  const std::wstring wide = Widen(path);
  ScopedLocal<PSECURITY_DESCRIPTOR> descriptor;
  if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(kLockSecurity, SDDL_REVISION_1,
                                                              descriptor.Out(), nullptr)) {
    ThrowLastError("open", path);
  }
  SECURITY_ATTRIBUTES security = {sizeof(security), descriptor.Get(), FALSE};
  const ULONGLONG deadline = ::GetTickCount64() + waitMs;
  for (;;) {
    ScopedHandle file(::CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE, 0, &security,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN, nullptr));
    if (file.IsSet()) return std::make_unique<Win32HeldFile>(std::move(file));
    // Held by another program; or, deleted on close by one that held it, still being deleted.
    const DWORD error = ::GetLastError();
    if (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED) {
      ThrowError(error, "open", path);
    }
    if (::GetTickCount64() >= deadline) {
      if (error == ERROR_SHARING_VIOLATION)
        throw FileBusy(error, DescribeError(error), "open", path);
      ThrowError(error, "open", path);
    }
    ::Sleep(kHoldPauseMs);
  }
}

bool Win32FileSystem::PutInPlace(const std::string& target, const std::string& replacement,
                                 std::optional<std::string_view> expected) {
  const auto unchanged = [&] { return !expected || Holds(target, *expected); };
  const std::wstring to = Widen(target);
  const std::wstring from = Widen(replacement);
  bool changed = false;
  const DWORD error = WaitingOutHolds(true, [&] {
    // Held so, the file cannot be opened for writing by anyone else: the check and the rename
    // are one step for every other program.
    ScopedHandle hold(::CreateFileW(to.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!hold.IsSet()) return ::GetLastError();
    changed = !unchanged();
    if (changed) return static_cast<DWORD>(ERROR_SUCCESS);
    const DWORD renamed = RenameOverHeldFile(from, to);
    if (renamed != ERROR_NOT_SUPPORTED) return renamed;
    // The classic rename, which fails on a file that is open: checked once more, a moment
    // before it.
    hold.Reset();
    changed = !unchanged();
    if (changed) return static_cast<DWORD>(ERROR_SUCCESS);
    return ErrorUnless(::MoveFileExW(from.c_str(), to.c_str(),
                                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
  });
  if (error != ERROR_SUCCESS) ThrowError(error, "replace", target);
  return !changed;
}

void Win32FileSystem::RemoveFile(const std::string& path) noexcept {
  try {
    // A scanner that looks at the new file as it is closed may still hold it.
    const std::wstring wide = Widen(path);
    WaitingOutHolds(false, [&] { return ErrorUnless(::DeleteFileW(wide.c_str())); });
  } catch (...) {
    // Out of memory: the file stays, and the next run removes it.
  }
}

void Win32FileSystem::RemoveLeftoversBeside(const std::string& path) noexcept {
  try {
    const std::string folder = path.substr(0, path.size() - FileNameOf(path).size());
    WIN32_FIND_DATAW found;
    ScopedFind search(::FindFirstFileW(Widen(path + ".*").c_str(), &found));
    if (!search.IsSet()) return;
    do {
      std::string name = Narrow(found.cFileName);
      if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
          IsNewFileNameOf(FileNameOf(path), name)) {
        ::DeleteFileW(Widen(folder + name).c_str());
      }
    } while (::FindNextFileW(search.Get(), &found));
  } catch (...) {
    // Out of memory: the leftovers stay until the next run.
  }
}

}  // namespace veltrim::platform
