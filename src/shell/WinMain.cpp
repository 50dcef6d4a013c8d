#include <windows.h>

#include "Application.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return veltrim::shell::Main(); }
