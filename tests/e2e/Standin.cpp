// Stands in for ipconfig.exe and iexplore.exe in the test prefix: appends one line
// "program|window state|command line|parent program|current folder" to the file that
// VELTRIM_STARTED_LOG names, where the window state is STARTUPINFO.wShowWindow, or -1 when the
// starter gave none, the texts are in UTF-8, and the parent is the program that started this
// one.
#include <windows.h>
// After windows.h, which it needs.
#include <tlhelp32.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>

namespace {

std::string Utf8(const wchar_t* text) {
  int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(length > 0 ? length : 1), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8.data(), length, nullptr, nullptr);
  utf8.resize(utf8.size() - 1);
  return utf8;
}

// The executable name of process `id`'s parent, or "?" when it has gone.
std::string ParentName(DWORD id) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return "?";
  std::map<DWORD, PROCESSENTRY32W> processes;
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot, &entry); more;
       more = Process32NextW(snapshot, &entry)) {
    processes[entry.th32ProcessID] = entry;
  }
  CloseHandle(snapshot);
  auto self = processes.find(id);
  if (self == processes.end()) return "?";
  auto parent = processes.find(self->second.th32ParentProcessID);
  return parent != processes.end() ? Utf8(parent->second.szExeFile) : "?";
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  wchar_t log[MAX_PATH];
  if (GetEnvironmentVariableW(L"VELTRIM_STARTED_LOG", log, MAX_PATH) == 0) return 1;
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  const wchar_t* name = std::wcsrchr(self, L'\\');
  name = name != nullptr ? name + 1 : self;
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  GetStartupInfoW(&startup);
  int state = (startup.dwFlags & STARTF_USESHOWWINDOW) != 0 ? startup.wShowWindow : -1;
  wchar_t folder[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, folder);
  std::string line = Utf8(name) + "|" + std::to_string(state) + "|" + Utf8(GetCommandLineW()) +
                     "|" + ParentName(GetCurrentProcessId()) + "|" + Utf8(folder) + "\n";
  FILE* file = _wfopen(log, L"ab");
  if (file == nullptr) return 1;
  std::fwrite(line.data(), 1, line.size(), file);
  std::fclose(file);
  return 0;
}
