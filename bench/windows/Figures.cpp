// Measures Veltrim.exe from outside, as the end-to-end driver drives it, and prints one
// "name: value" line per figure. Ratios are against a minimal Win32 program measured in the
// same run, so they hold on any machine; times in milliseconds are this machine's, under Wine.
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "BlockList.h"
#include "BlockingLines.h"
#include "HostFileHandler.h"
#include "PageMarkup.h"
#include "ResourceIds.h"
#include "UiDriver.h"
#include "Win32FileSystem.h"

namespace {

using namespace veltrim;
using Clock = std::chrono::steady_clock;

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  size_t middle = values.size() / 2;
  return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// The value a `fraction` of the way through the sorted values.
double Quantile(std::vector<double> values, double fraction) {
  std::sort(values.begin(), values.end());
  return values[static_cast<size_t>(
      std::lround(fraction * static_cast<double>(values.size() - 1)))];
}

double PeakKib(HANDLE process) {
  PROCESS_MEMORY_COUNTERS memory = {};
  if (!::GetProcessMemoryInfo(process, &memory, sizeof(memory))) return -1;
  return static_cast<double>(memory.PeakWorkingSetSize) / 1024;
}

double Milliseconds(Clock::duration duration) {
  return std::chrono::duration<double, std::milli>(duration).count();
}

struct Startup {
  double ms = -1;       // from starting the program until its first window is visible
  double peakKib = -1;  // the peak working set while it shows that window
};

Startup MeasureStartup(const char* program, const wchar_t* windowClass) {
  Startup startup;
  auto start = Clock::now();
  uidriver::Program running(program);
  HWND window = running.WaitForWindowPolling(windowClass, 1, 20000);
  if (window == nullptr) return startup;
  startup.ms = Milliseconds(Clock::now() - start);
  ::Sleep(100);  // painted
  startup.peakKib = PeakKib(running.Process());
  ::PostMessageA(window, WM_CLOSE, 0, 0);
  running.WaitForExit();
  return startup;
}

const char kEtc[] = "C:\\windows\\system32\\drivers\\etc\\";

std::string HostFileOf200Lines() {
  std::string text;
  for (int i = 0; i < 200; ++i) {
    text += "10.0." + std::to_string(i / 250) + "." + std::to_string(i % 250) + " host" +
            std::to_string(i) + (i % 50 == 0 ? ".example.com" : ".example.org") + "\r\n";
  }
  return text;
}

const std::string kFourLines =
    "127.0.0.1 localhost\r\n::1 localhost\r\n10.0.0.1 www.example.com\r\n192.0.2.10 intranet\r\n";

void WriteFile(const std::string& path, const std::string& contents) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << contents;
}

// The least that a crash-safe rewrite of the file costs: read it, write a new file, force it to
// the disk, rename it into place.
double DurableCopyMs(const std::string& contents) {
  const wchar_t kCopied[] = L"C:\\windows\\system32\\drivers\\etc\\copied";
  const wchar_t kFresh[] = L"C:\\windows\\system32\\drivers\\etc\\copied.new";
  WriteFile(std::string(kEtc) + "copied", contents);
  const auto start = Clock::now();
  std::string read(contents.size(), '\0');
  DWORD done = 0;
  HANDLE in =
      ::CreateFileW(kCopied, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  bool copied = in != INVALID_HANDLE_VALUE &&
                ::ReadFile(in, &read[0], static_cast<DWORD>(read.size()), &done, nullptr);
  if (in != INVALID_HANDLE_VALUE) ::CloseHandle(in);
  HANDLE out = ::CreateFileW(kFresh, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
  copied = copied && out != INVALID_HANDLE_VALUE &&
           ::WriteFile(out, read.data(), done, &done, nullptr) && ::FlushFileBuffers(out);
  if (out != INVALID_HANDLE_VALUE) ::CloseHandle(out);
  copied =
      copied && ::MoveFileExW(kFresh, kCopied, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  const double ms = Milliseconds(Clock::now() - start);
  ::DeleteFileW(kCopied);
  return copied ? ms : -1;
}

// ProcessFile on a 200-line hosts file over the durable copy of the same bytes, alternating: what
// the repair's safety costs beyond the copy (the lock, the search for leftovers, the DACL and
// attributes, the hold and the check before the rename), each a round trip to the wine server.
void PrintProcessFileRatio() {
  constexpr int kPairs = 21;
  const std::string text = HostFileOf200Lines();
  const std::string hosts = std::string(kEtc) + "measured";
  platform::Win32FileSystem files;
  hostfix::HostFileHandler handler(files, hostfix::RepairLockPath("C:\\windows\\system32"));
  std::vector<double> ratios, repairs, copies;
  for (int pair = 0; pair < kPairs; ++pair) {
    WriteFile(hosts, text);
    const auto start = Clock::now();
    handler.ProcessFile(hosts, "example.com");
    repairs.push_back(Milliseconds(Clock::now() - start));
    copies.push_back(DurableCopyMs(text));
    if (copies.back() > 0) ratios.push_back(repairs.back() / copies.back());
  }
  ::DeleteFileA(hosts.c_str());
  std::printf(
      "process_file_ratio: %.2f (median of %d alternating pairs, 200 lines, %.1f ms against"
      " %.1f ms, this machine, under Wine)\n",
      Median(ratios), kPairs, Median(repairs), Median(copies));
}

// As long as a user takes to type an address, at least: the programs find the desktop shell
// meanwhile.
constexpr DWORD kTypingMs = 1000;

struct FixFigures {
  double overheadMs = -1;
  double peakKib = -1;
};

FixFigures MeasureFix(const std::string& hosts, const std::string& lmHosts) {
  WriteFile(std::string(kEtc) + "hosts", hosts);
  WriteFile(std::string(kEtc) + "lmhosts", lmHosts);
  FixFigures figures;
  uidriver::Program running;
  HWND splash = running.WaitForWindow(shell::kDisclaimerClass);
  if (splash == nullptr) return figures;
  uidriver::Click(splash, shell::kContinueButton);
  HWND main = running.WaitForWindow(shell::kMainClass);
  if (main == nullptr) return figures;
  uidriver::Type(main, shell::kWebAddress, "http://www.example.com/");
  ::Sleep(kTypingMs);
  auto start = Clock::now();
  uidriver::Click(main, shell::kFixItButton);
  HWND question = running.WaitForWindowPolling(L"#32770", 1, 20000);
  if (question == nullptr) return figures;
  figures.overheadMs = Milliseconds(Clock::now() - start) - 4000;
  figures.peakKib = PeakKib(running.Process());
  uidriver::Answer(running.WaitForMessageBox(), IDYES);
  uidriver::Answer(running.WaitForMessageBox(), IDOK);
  running.WaitForExit();
  return figures;
}

// The same safe work done by the least program: its time from the click to its message box.
FixFigures MeasureYardstick() {
  FixFigures figures;
  uidriver::Program running("veltrim_fix_yardstick.exe");
  HWND window = running.WaitForWindow(L"VeltrimYardstick");
  if (window == nullptr) return figures;
  ::Sleep(kTypingMs);
  auto start = Clock::now();
  ::PostMessageW(window, WM_LBUTTONUP, 0, 0);
  HWND box = running.WaitForWindowPolling(L"#32770", 1, 20000);
  if (box == nullptr) return figures;
  figures.overheadMs = Milliseconds(Clock::now() - start);
  figures.peakKib = PeakKib(running.Process());
  uidriver::Answer(running.WaitForMessageBox(), IDYES);
  running.WaitForExit();
  return figures;
}

void PrintSpread(const char* name, const std::vector<double>& values) {
  std::printf("%s_spread: %.2f to %.2f (middle half), %.2f to %.2f (all)\n", name,
              Quantile(values, 0.25), Quantile(values, 0.75), Quantile(values, 0),
              Quantile(values, 1));
}

// What the fix does with a page once it has it: a 2 MiB page that loads from 5,000 hosts read,
// and the hosts matched against the large list.
void PrintPageCheck(const std::string& list) {
  std::string page = "<!DOCTYPE html><title>Shop</title>";
  for (int n = 0; n < 5000; ++n) {
    page += "<p>Item " + std::to_string(n) + "<img src=\"https://img" + std::to_string(n) +
            ".cdn.example.net/i.png\" alt=\"item\">";
  }
  while (page.size() < (std::size_t{2} << 20)) page += "<p>Text, and <a href=/x>a link</a></p>";
  const std::optional<hostfix::PageAddress> address =
      hostfix::ReadAddress("https://shop.example.com/");
  std::vector<double> times;
  std::size_t hosts = 0;
  std::ptrdiff_t blocked = 0;
  for (int run = 0; run < 5; ++run) {
    const auto start = Clock::now();
    const std::vector<std::string> needed = hostfix::NeededHosts(page, *address);
    const std::vector<std::size_t> lines = hostfix::FirstLinesNaming(list, needed);
    times.push_back(Milliseconds(Clock::now() - start));
    hosts = needed.size();
    blocked = std::count_if(lines.begin(), lines.end(), [](std::size_t line) { return line != 0; });
  }
  std::printf(
      "page_check_ms: %.0f (median of 5, a %zu-byte page needing %zu hosts, %td of them blocked, "
      "matched against 170,000 lines, this machine, under Wine; target at most 150)\n",
      Median(times), page.size(), hosts, blocked);
}

}  // namespace

void PrintFigures() {
  PrintProcessFileRatio();
  // Both programs once before measuring, so that neither pays for a cold start of Wine.
  MeasureStartup("veltrim_minimal.exe", L"VeltrimMinimal");
  MeasureStartup("Veltrim.exe", shell::kDisclaimerClass);
  // Alternating, so that whatever else the machine does weighs on both alike.
  constexpr int kPairs = 21;
  std::vector<double> veltrim, minimal, ratios, minimalPeaks, splashPeaks;
  for (int pair = 0; pair < kPairs; ++pair) {
    Startup small = MeasureStartup("veltrim_minimal.exe", L"VeltrimMinimal");
    Startup ours = MeasureStartup("Veltrim.exe", shell::kDisclaimerClass);
    minimal.push_back(small.ms);
    veltrim.push_back(ours.ms);
    ratios.push_back(ours.ms / small.ms);
    minimalPeaks.push_back(small.peakKib);
    splashPeaks.push_back(ours.peakKib);
  }
  std::printf("startup_ms: %.0f (this machine, under Wine)\n", Median(veltrim));
  std::printf("startup_minimal_ms: %.0f (this machine, under Wine)\n", Median(minimal));
  std::printf("startup_ratio: %.2f (median of %d alternating pairs)\n", Median(ratios), kPairs);
  PrintSpread("startup_ratio", ratios);

  // Alternating again: Veltrim's fix, then the yardstick's.
  constexpr int kFixPairs = 11;
  std::vector<double> overheads, peaks, yardsticks, yardstickPeaks, fixRatios, fixPeakRatios;
  MeasureYardstick();
  for (int pair = 0; pair < kFixPairs; ++pair) {
    FixFigures ours = MeasureFix(HostFileOf200Lines(), HostFileOf200Lines());
    FixFigures least = MeasureYardstick();
    overheads.push_back(ours.overheadMs);
    peaks.push_back(ours.peakKib);
    yardsticks.push_back(least.overheadMs);
    yardstickPeaks.push_back(least.peakKib);
    fixRatios.push_back(ours.overheadMs / least.overheadMs);
    fixPeakRatios.push_back(ours.peakKib / least.peakKib);
  }
  double peak = *std::max_element(peaks.begin(), peaks.end());
  std::printf("fix_overhead_ms: %.0f (median of %d, this machine, under Wine)\n", Median(overheads),
              kFixPairs);
  std::printf("fix_yardstick_ms: %.0f (median of %d, this machine, under Wine)\n",
              Median(yardsticks), kFixPairs);
  std::printf("fix_overhead_ratio: %.2f (median of %d alternating pairs)\n", Median(fixRatios),
              kFixPairs);
  PrintSpread("fix_overhead_ratio", fixRatios);
  std::printf("fix_working_set_ratio: %.2f (median of %d pairs, over the yardstick's %.0f KiB)\n",
              Median(fixPeakRatios), kFixPairs, Median(yardstickPeaks));
  PrintSpread("fix_working_set_ratio", fixPeakRatios);
  std::printf("peak_working_set_kib: %.0f (during a fix, under Wine)\n", peak);
  std::printf("working_set_ratio: %.2f (peak during a fix, over the minimal program's %.0f KiB)\n",
              peak / Median(minimalPeaks), Median(minimalPeaks));
  std::printf("working_set_ratio_disclaimer: %.2f (peak while the disclaimer shows)\n",
              Median(splashPeaks) / Median(minimalPeaks));

  // A blocking list of 170,000 lines beside the 4-line file, alternating, and the copy of the
  // list that any safe rewrite of it costs.
  constexpr int kBigPairs = 5;
  const std::string list = blocklist::MakeBlockList(170000).before;
  PrintPageCheck(list);
  // A list of the same length with 20,000 lines under the host, as one that blocks a hosting
  // domain's sites: what the repaired names cost beyond the file.
  constexpr int kManyNames = 20000;
  std::string many = blocklist::MakeBlockList(170000 - kManyNames).before;
  for (int n = 0; n < kManyNames; ++n)
    many += "0.0.0.0 site" + std::to_string(n) + ".example.com\n";
  std::vector<double> small, big, copies, manyNames;
  for (int pair = 0; pair < kBigPairs; ++pair) {
    small.push_back(MeasureFix(kFourLines, kFourLines).overheadMs);
    big.push_back(MeasureFix(list, kFourLines).overheadMs);
    manyNames.push_back(MeasureFix(many, kFourLines).overheadMs);
    copies.push_back(DurableCopyMs(list));
  }
  std::printf(
      "big_fix_ms: %.0f (median of %d, 170,000 lines, %zu bytes, this machine, under Wine;"
      " target at most 1.5 x (%.0f for 4 lines + %.0f for a durable copy) = %.0f)\n",
      Median(big), kBigPairs, list.size(), Median(small), Median(copies),
      1.5 * (Median(small) + Median(copies)));
  std::printf(
      "many_names_ms: %.0f (median of %d, %d names repaired over 4, in lists of 170,000 lines, "
      "%zu and %zu bytes; target at most 100)\n",
      Median(manyNames) - Median(big), kBigPairs, kManyNames, many.size(), list.size());
  std::fflush(stdout);
}

int main() {
  try {
    PrintFigures();
    return 0;
  } catch (const std::exception& error) {
    std::printf("figures failed: %s\n", error.what());
    return 1;
  }
}
