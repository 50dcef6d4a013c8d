// Measures Veltrim.exe from outside, as the end-to-end driver drives it, and prints one
// "name: value" line per figure: start-up time against a minimal Win32 program, the time a fix
// takes beyond its fixed wait, and the peak working set during a fix.
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "ControlIds.h"
#include "UiDriver.h"

namespace {

using namespace veltrim;
using Clock = std::chrono::steady_clock;

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  size_t middle = values.size() / 2;
  return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

double Milliseconds(Clock::duration duration) {
  return std::chrono::duration<double, std::milli>(duration).count();
}

// From starting the program until its first window is visible.
double StartupMs(const char* program, const wchar_t* windowClass) {
  auto start = Clock::now();
  e2e::Program running(program);
  HWND window = running.WaitForWindowPolling(windowClass, 1, 20000);
  double elapsed = Milliseconds(Clock::now() - start);
  if (window != nullptr) ::PostMessageA(window, WM_CLOSE, 0, 0);
  running.WaitForExit();
  return window != nullptr ? elapsed : -1;
}

void WriteHostsOf200Lines() {
  std::ofstream hosts("C:\\windows\\system32\\drivers\\etc\\hosts", std::ios::binary);
  for (int i = 0; i < 200; ++i) {
    hosts << "10.0." << i / 250 << "." << i % 250 << " host" << i
          << (i % 50 == 0 ? ".example.com" : ".example.org") << "\r\n";
  }
}

struct FixFigures {
  double overheadMs = -1;
  double peakKib = -1;
};

FixFigures MeasureFix() {
  WriteHostsOf200Lines();
  FixFigures figures;
  e2e::Program running;
  HWND splash = running.WaitForWindow(shell::kSplashClass);
  if (splash == nullptr) return figures;
  e2e::Click(splash, shell::kCommand1);
  HWND main = running.WaitForWindow(shell::kMainClass);
  if (main == nullptr) return figures;
  e2e::Type(main, shell::kWebAddress, "http://www.example.com/");
  auto start = Clock::now();
  e2e::Click(main, shell::kFixItButton);
  HWND question = running.WaitForWindowPolling(L"#32770", 1, 20000);
  if (question == nullptr) return figures;
  figures.overheadMs = Milliseconds(Clock::now() - start) - 4000;
  PROCESS_MEMORY_COUNTERS memory = {};
  if (::GetProcessMemoryInfo(running.Process(), &memory, sizeof(memory))) {
    figures.peakKib = static_cast<double>(memory.PeakWorkingSetSize) / 1024;
  }
  e2e::Answer(running.WaitForMessageBox(), IDYES);
  e2e::Answer(running.WaitForMessageBox(), IDOK);
  running.WaitForExit();
  return figures;
}

}  // namespace

int main() {
  // Both programs once before measuring, so that neither pays for a cold start of Wine.
  StartupMs("veltrim_minimal.exe", L"VeltrimMinimal");
  StartupMs("Veltrim.exe", shell::kSplashClass);
  std::vector<double> veltrim, minimal;
  for (int run = 0; run < 11; ++run) {
    minimal.push_back(StartupMs("veltrim_minimal.exe", L"VeltrimMinimal"));
    veltrim.push_back(StartupMs("Veltrim.exe", shell::kSplashClass));
  }
  std::printf("startup_ms: %.0f\n", Median(veltrim));
  std::printf("startup_minimal_ms: %.0f\n", Median(minimal));
  std::printf("startup_ratio: %.2f\n", Median(veltrim) / Median(minimal));

  std::vector<double> overheads, peaks;
  for (int run = 0; run < 5; ++run) {
    FixFigures figures = MeasureFix();
    overheads.push_back(figures.overheadMs);
    peaks.push_back(figures.peakKib);
  }
  std::printf("fix_overhead_ms: %.0f\n", Median(overheads));
  std::printf("peak_working_set_kib: %.0f\n", *std::max_element(peaks.begin(), peaks.end()));
  std::fflush(stdout);
  return 0;
}
