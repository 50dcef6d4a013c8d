// Stands in for ipconfig.exe and the browser in the test prefix: appends one line
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

#include "Scoped.h"
#include "Win32Text.h"

namespace {

using veltrim::platform::Narrow;

// The executable name of process `id`'s parent, or "?" when it has gone.
std::string ParentName(DWORD id) {
  veltrim::platform::ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  std::map<DWORD, PROCESSENTRY32W> processes;
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = snapshot.IsSet() && Process32FirstW(snapshot.Get(), &entry); more;
       more = Process32NextW(snapshot.Get(), &entry)) {
    processes[entry.th32ProcessID] = entry;
  }
  if (processes.count(id) == 0) return "?";
  const auto parent = processes.find(processes[id].th32ParentProcessID);
  return parent != processes.end() ? Narrow(parent->second.szExeFile) : "?";
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
  std::string line = Narrow(name) + "|" + std::to_string(state) + "|" + Narrow(GetCommandLineW()) +
                     "|" + ParentName(GetCurrentProcessId()) + "|" + Narrow(folder) + "\n";
  FILE* file = _wfopen(log, L"ab");
  if (file == nullptr) return 1;
  std::fwrite(line.data(), 1, line.size(), file);
  std::fclose(file);
  return 0;
}
