// Stands in for ipconfig.exe and iexplore.exe in the test prefix: appends one line
// "program|window state|command line" to the file that VELTRIM_STARTED_LOG names, where the
// window state is STARTUPINFO.wShowWindow, or -1 when the starter gave none.
#include <windows.h>

#include <cstdio>
#include <cstring>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  char log[MAX_PATH];
  if (GetEnvironmentVariableA("VELTRIM_STARTED_LOG", log, MAX_PATH) == 0) return 1;
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  const char* name = std::strrchr(self, '\\');
  name = name != nullptr ? name + 1 : self;
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  GetStartupInfoA(&startup);
  int state = (startup.dwFlags & STARTF_USESHOWWINDOW) != 0 ? startup.wShowWindow : -1;
  FILE* file = std::fopen(log, "ab");
  if (file == nullptr) return 1;
  std::fprintf(file, "%s|%d|%s\n", name, state, GetCommandLineA());
  std::fclose(file);
  return 0;
}
