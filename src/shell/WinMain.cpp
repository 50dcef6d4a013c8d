#include <windows.h>

#include <exception>

#include "Application.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // Before anything else is loaded: DLLs are then taken from the system folder only, never
  // from the program's own folder (often Downloads) or the current one, where anyone may have
  // left a DLL to be run with administrator rights.
  ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  try {
    return veltrim::shell::Main();
  } catch (const std::exception&) {
    return 1;
  }
}
