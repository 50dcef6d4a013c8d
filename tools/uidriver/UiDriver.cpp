#include "UiDriver.h"

#include <oleacc.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "Win32Text.h"

namespace veltrim::uidriver {

namespace {

constexpr DWORD kPollMs = 50;

// Reads positions in real pixels, as the DPI-aware program lays itself out.
const bool kDpiAware = ::SetProcessDPIAware() != FALSE;

// In UTF-8, every letter kept.
std::string TextOf(HWND window) {
  wchar_t buffer[4096];
  LRESULT length =
      ::SendMessageW(window, WM_GETTEXT, std::size(buffer), reinterpret_cast<LPARAM>(buffer));
  return platform::Narrow(std::wstring(buffer, static_cast<size_t>(length)));
}

// A label's text as the system keeps it, readable while the program is busy and cannot answer
// messages (an edit box's typed text is not kept there).
std::string LabelText(HWND window, int id) {
  char buffer[256];
  int length =
      ::GetWindowTextA(::GetDlgItem(window, id), buffer, static_cast<int>(std::size(buffer)));
  return std::string(buffer, static_cast<size_t>(length));
}

struct Search {
  DWORD processId;
  const wchar_t* windowClass;
  HWND found;
};

BOOL CALLBACK Match(HWND window, LPARAM lParam) {
  auto* search = reinterpret_cast<Search*>(lParam);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  wchar_t name[64];
  if (owner == search->processId && ::IsWindowVisible(window) &&
      ::GetClassNameW(window, name, static_cast<int>(std::size(name))) > 0 &&
      std::wstring(name) == search->windowClass) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

std::wstring DriverFolder() {
  wchar_t self[MAX_PATH];
  ::GetModuleFileNameW(nullptr, self, static_cast<DWORD>(std::size(self)));
  std::wstring folder(self);
  folder.erase(folder.rfind(L'\\') + 1);
  return folder;
}

void Type(HWND window, int id, const std::string& utf8) {
  ::SendMessageW(::GetDlgItem(window, id), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(platform::Widen(utf8).c_str()));
}

void PasteKeys(const std::string& utf8) {
  const std::wstring text = platform::Widen(utf8);
  const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (memory == nullptr) throw std::runtime_error("cannot allocate the clipboard's text");
  std::memcpy(::GlobalLock(memory), text.c_str(), bytes);
  ::GlobalUnlock(memory);
  // The clipboard owns the memory once it takes it; a failure ends the run, so it is not freed.
  const bool set = ::OpenClipboard(nullptr) && ::EmptyClipboard() &&
                   ::SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
  ::CloseClipboard();
  if (!set) throw std::runtime_error("cannot put the text on the clipboard");
  INPUT keys[4] = {};
  const WORD sequence[4][2] = {
      {VK_CONTROL, 0}, {'V', 0}, {'V', KEYEVENTF_KEYUP}, {VK_CONTROL, KEYEVENTF_KEYUP}};
  for (int i = 0; i < 4; ++i) {
    keys[i].type = INPUT_KEYBOARD;
    keys[i].ki.wVk = sequence[i][0];
    keys[i].ki.dwFlags = sequence[i][1];
  }
  ::SendInput(4, keys, sizeof(INPUT));
  ::Sleep(300);
}

Program::Program(const char* programName)
    : Program(DriverFolder() + std::wstring(programName, programName + std::strlen(programName))) {}

Program::Program(const std::wstring& program) {
  std::wstring folder = program.substr(0, program.rfind(L'\\'));
  std::wstring commandLine = L"\"" + program + L"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  const auto start = [&] {
    return ::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                            nullptr, folder.c_str(), &startup, &info) != FALSE;
  };
  bool started = start();
  // Wine answers ERROR_INTERNAL_ERROR when the new process ended inside Wine's own start-up,
  // before it told the wine server that it had started: before any DLL was loaded or any
  // instruction of the program ran, so never for a fault of the program. That is said, and the
  // program started once more; a second such end, or any other error, fails.
  if (!started && ::GetLastError() == ERROR_INTERNAL_ERROR) {
    std::fprintf(stderr,
                 "starting the program again: its process ended in Wine's start-up, "
                 "before the program ran (error 1359)\n");
    started = start();
  }
  if (!started) {
    throw std::runtime_error("cannot start the program: error " + std::to_string(::GetLastError()));
  }
  platform::ScopedHandle thread(info.hThread);
  process_.Reset(info.hProcess);
  processId_ = info.dwProcessId;
  ::WaitForInputIdle(info.hProcess, 10000);
}

Program::~Program() {
  if (process_.IsSet() && ::WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT) {
    ::TerminateProcess(process_.Get(), 1);
  }
}

HWND Program::WaitForWindow(const wchar_t* windowClass, DWORD timeoutMs) const {
  return WaitForWindowPolling(windowClass, kPollMs, timeoutMs);
}

HWND Program::WaitForWindowPolling(const wchar_t* windowClass, DWORD pollMs,
                                   DWORD timeoutMs) const {
  return WaitForWindowOf(processId_, windowClass, pollMs, timeoutMs);
}

bool Program::ShowsMessageBoxWithin(DWORD timeoutMs) const {
  return WaitForWindow(L"#32770", timeoutMs) != nullptr;
}

MessageBoxState Program::WaitForMessageBox(DWORD timeoutMs) const {
  return WaitForMessageBoxOf(processId_, timeoutMs);
}

HWND WaitForWindowOf(DWORD processId, const wchar_t* windowClass, DWORD pollMs, DWORD timeoutMs) {
  for (DWORD start = ::GetTickCount(); ::GetTickCount() - start <= timeoutMs;) {
    Search search{processId, windowClass, nullptr};
    ::EnumWindows(Match, reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr) return search.found;
    ::Sleep(pollMs);
  }
  return nullptr;
}

MessageBoxState WaitForMessageBoxOf(DWORD processId, DWORD timeoutMs) {
  MessageBoxState state{};
  state.handle = WaitForWindowOf(processId, L"#32770", kPollMs, timeoutMs);
  if (state.handle == nullptr) throw std::runtime_error("no message box");
  ::Sleep(200);  // lets the box finish laying itself out
  state.caption = TextOf(state.handle);
  state.text = TextOf(::GetDlgItem(state.handle, 0xFFFF));
  for (int id : {IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO}) {
    HWND button = ::GetDlgItem(state.handle, id);
    if (button != nullptr && ::IsWindowVisible(button)) state.buttons.push_back(TextOf(button));
  }
  // The icon is a static control, id 20 on Windows and 1088 on Wine, that may be there empty.
  for (int id : {20, 1088}) {
    HWND icon = ::GetDlgItem(state.handle, id);
    if (icon != nullptr && ::IsWindowVisible(icon) && ::SendMessageA(icon, STM_GETICON, 0, 0)) {
      state.hasIcon = true;
    }
  }
  return state;
}

void Program::SendDpiChanged(HWND window, int dpi, int clientWidth96, int clientHeight96) const {
  RECT outer;
  ::GetWindowRect(window, &outer);
  RECT suggested = {0, 0, ::MulDiv(clientWidth96, dpi, 96), ::MulDiv(clientHeight96, dpi, 96)};
  ::AdjustWindowRectEx(&suggested, static_cast<DWORD>(::GetWindowLongPtrW(window, GWL_STYLE)),
                       FALSE, static_cast<DWORD>(::GetWindowLongPtrW(window, GWL_EXSTYLE)));
  ::OffsetRect(&suggested, outer.left - suggested.left, outer.top - suggested.top);
  // The rectangle travels by address, so it must be in the program's memory.
  void* remote = ::VirtualAllocEx(process_.Get(), nullptr, sizeof(suggested),
                                  MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  if (remote == nullptr ||
      !::WriteProcessMemory(process_.Get(), remote, &suggested, sizeof(suggested), nullptr)) {
    throw std::runtime_error("cannot pass the rectangle to the program");
  }
  ::SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(remote));
  ::VirtualFreeEx(process_.Get(), remote, 0, MEM_RELEASE);
  ::Sleep(200);
}

bool Program::WaitForExit(DWORD timeoutMs) const {
  return process_.IsSet() && ::WaitForSingleObject(process_.Get(), timeoutMs) == WAIT_OBJECT_0;
}

ControlState Inspect(HWND window, int id) {
  HWND control = ::GetDlgItem(window, id);
  ControlState state{};
  if (control == nullptr) throw std::runtime_error("no control " + std::to_string(id));
  state.text = TextOf(control);
  ::GetWindowRect(control, &state.rect);
  ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&state.rect), 2);
  state.visible = ::IsWindowVisible(control) != FALSE;
  state.enabled = ::IsWindowEnabled(control) != FALSE;
  return state;
}

bool WaitForLabel(HWND window, int id, const std::string& text, DWORD timeoutMs) {
  for (DWORD start = ::GetTickCount(); ::GetTickCount() - start <= timeoutMs;) {
    if (LabelText(window, id) == text) return true;
    ::Sleep(kPollMs);
  }
  return false;
}

RECT ClientRectOnScreen(HWND window) {
  RECT rect;
  ::GetClientRect(window, &rect);
  ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

HWND FocusOf(HWND window) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof(info);
  ::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info);
  return info.hwndFocus;
}

AccessibleState AccessibleOf(HWND control) {
  AccessibleState state{"", -1};
  platform::ScopedCom com;
  platform::ComPtr<IAccessible> accessible;
  if (FAILED(::AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT),
                                          IID_IAccessible, accessible.OutVoid())) ||
      !accessible.IsSet()) {
    return state;
  }
  VARIANT self;
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  platform::ScopedBstr name;
  if (accessible->get_accName(self, name.Out()) == S_OK && name.IsSet()) {
    state.name = platform::Narrow(name.Get());
  }
  platform::ScopedVariant role;
  if (accessible->get_accRole(self, &role.Get()) == S_OK && role.Get().vt == VT_I4) {
    state.role = role.Get().lVal;
  }
  return state;
}

void Click(HWND window, int id) {
  // Posted, not sent: the click may open a message box, which would block a sender.
  ::PostMessageA(::GetDlgItem(window, id), BM_CLICK, 0, 0);
}

void PressKey(HWND target, WPARAM key) {
  UINT scan = ::MapVirtualKeyA(static_cast<UINT>(key), MAPVK_VK_TO_VSC);
  ::PostMessageA(target, WM_KEYDOWN, key, 1 | (static_cast<LPARAM>(scan) << 16));
  ::PostMessageA(target, WM_KEYUP, key, 1 | (static_cast<LPARAM>(scan) << 16) | (3LL << 30));
}

void TypeKeys(const std::string& text) {
  for (char c : text) {
    INPUT keys[2] = {};
    for (INPUT& key : keys) {
      key.type = INPUT_KEYBOARD;
      key.ki.wScan = static_cast<WORD>(static_cast<unsigned char>(c));
      key.ki.dwFlags = KEYEVENTF_UNICODE;
    }
    keys[1].ki.dwFlags |= KEYEVENTF_KEYUP;
    ::SendInput(2, keys, sizeof(INPUT));
  }
  ::Sleep(300);
}

void Answer(const MessageBoxState& box, int buttonId) {
  ::PostMessageA(::GetDlgItem(box.handle, buttonId), BM_CLICK, 0, 0);
  // Gone before the next box is looked for, so that it is not taken for that one.
  for (DWORD waited = 0; ::IsWindow(box.handle) && waited < 10000; waited += kPollMs) {
    ::Sleep(kPollMs);
  }
}

void Screenshot(HWND window, const std::string& name, bool repaint) {
  const char* folder = std::getenv("VELTRIM_SHOTS");
  if (folder == nullptr) return;
  if (repaint) {
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    ::Sleep(300);
  }
  RECT rect;
  ::GetWindowRect(window, &rect);
  int width = rect.right - rect.left;
  int height = rect.bottom - rect.top;
  platform::ScopedWindowDc screen(nullptr);
  platform::ScopedMemoryDc memory(::CreateCompatibleDC(screen.Get()));
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  platform::ScopedBitmap bitmap(
      ::CreateDIBSection(screen.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  platform::ScopedSelect select(memory.Get(), bitmap.Get());
  ::BitBlt(memory.Get(), 0, 0, width, height, screen.Get(), rect.left, rect.top, SRCCOPY);
  ::GdiFlush();
  DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
  DWORD imageSize = stride * static_cast<DWORD>(height);
  BITMAPFILEHEADER file = {};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof(file) + sizeof(info.bmiHeader);
  file.bfSize = file.bfOffBits + imageSize;
  std::string path = std::string(folder) + "\\" + name + ".bmp";
  if (FILE* out = std::fopen(path.c_str(), "wb")) {
    std::fwrite(&file, sizeof(file), 1, out);
    std::fwrite(&info.bmiHeader, sizeof(info.bmiHeader), 1, out);
    std::fwrite(bits, 1, imageSize, out);
    std::fclose(out);
  }
}

}  // namespace veltrim::uidriver
