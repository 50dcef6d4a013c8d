// ProcessFile beside the least that any crash-safe rewrite of the same bytes costs: read the
// file, write a new one, force it to the disk, rename it into place. Once on a 200-line hosts
// file; and the most heap that the repair of a blocking list of 170,000 lines holds.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <new>
#include <vector>

#include "BlockList.h"
#include "HostFileHandler.h"
#include "NativeFileSystem.h"

namespace {

// Every allocation through operator new is counted, so that the peak heap of one repair can
// be read off.
std::atomic<std::size_t> heapBytes{0};
std::atomic<std::size_t> peakHeapBytes{0};

void* CountedAllocation(std::size_t size) {
  void* block = std::malloc(size == 0 ? 1 : size);
  if (block == nullptr) throw std::bad_alloc();
  std::size_t now = heapBytes += ::malloc_usable_size(block);
  std::size_t peak = peakHeapBytes;
  while (now > peak && !peakHeapBytes.compare_exchange_weak(peak, now)) {
  }
  return block;
}

void CountedRelease(void* block) {
  if (block == nullptr) return;
  heapBytes -= ::malloc_usable_size(block);
  std::free(block);
}

}  // namespace

void* operator new(std::size_t size) { return CountedAllocation(size); }
void* operator new[](std::size_t size) { return CountedAllocation(size); }
void operator delete(void* block) noexcept { CountedRelease(block); }
void operator delete[](void* block) noexcept { CountedRelease(block); }
void operator delete(void* block, std::size_t) noexcept { CountedRelease(block); }
void operator delete[](void* block, std::size_t) noexcept { CountedRelease(block); }

namespace {

namespace fs = std::filesystem;

std::string SampleHostsFile() {
  std::string text = "# Sample hosts file\r\n127.0.0.1 localhost\r\n";
  for (int i = 2; i < 200; ++i) {
    text += "10.0." + std::to_string(i / 250) + "." + std::to_string(i % 250) + " host" +
            std::to_string(i) + (i % 50 == 0 ? ".example.com" : ".example.org") + "\r\n";
  }
  return text;
}

constexpr int kBigLines = 170000;

struct Sample {
  explicit Sample(std::string bytes)
      : folder(fs::temp_directory_path() / ("veltrim-bench-" + std::to_string(::getpid()))),
        contents(std::move(bytes)) {
    fs::create_directories(folder);
    path = (folder / "hosts").string();
  }
  ~Sample() { fs::remove_all(folder); }
  void Reset() const { std::ofstream(path, std::ios::binary | std::ios::trunc) << contents; }
  fs::path folder;
  std::string path;
  std::string contents;
};

void ProcessOnce(const Sample& sample, veltrim::hostfix::HostFileHandler& handler) {
  handler.ProcessFile(sample.path, veltrim::blocklist::kBlockListHost);
}

bool CopyOnce(const Sample& sample) {
  const std::string temp = sample.path + ".new";
  // As a program that copies the file once has to: into memory of its own.
  std::string read(sample.contents.size(), '\0');
  const int in = ::open(sample.path.c_str(), O_RDONLY);
  const bool copied = in >= 0 && ::read(in, read.data(), read.size()) >= 0 && ::close(in) == 0;
  const int out = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  return copied && out >= 0 && ::write(out, read.data(), read.size()) >= 0 && ::fsync(out) == 0 &&
         ::close(out) == 0 && std::rename(temp.c_str(), sample.path.c_str()) == 0;
}

void ProcessFile(benchmark::State& state) {
  Sample sample(SampleHostsFile());
  veltrim::platform::NativeFileSystem files;
  veltrim::hostfix::HostFileHandler handler(files);
  for (auto _ : state) {
    state.PauseTiming();
    sample.Reset();
    state.ResumeTiming();
    ProcessOnce(sample, handler);
  }
}

void DurableCopy(benchmark::State& state) {
  Sample sample(SampleHostsFile());
  for (auto _ : state) {
    state.PauseTiming();
    sample.Reset();
    state.ResumeTiming();
    if (!CopyOnce(sample)) {
      state.SkipWithError("durable copy failed");
      break;
    }
  }
}

BENCHMARK(ProcessFile)->Unit(benchmark::kMicrosecond);
BENCHMARK(DurableCopy)->Unit(benchmark::kMicrosecond);

// Keeps each benchmark's time per iteration so that main can print their ratio.
class RecordingReporter : public benchmark::ConsoleReporter {
 public:
  RecordingReporter() : ConsoleReporter(OO_None) {}
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) times[run.run_name.function_name] = run.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> times;
};

// The heap one repair of the large file holds at its most, beyond what was held before it.
std::size_t BigPeakBytes(const Sample& sample) {
  veltrim::platform::NativeFileSystem files;
  veltrim::hostfix::HostFileHandler handler(files);
  sample.Reset();
  const std::size_t before = heapBytes;
  peakHeapBytes = before;
  ProcessOnce(sample, handler);
  return peakHeapBytes - before;
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RecordingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const auto& times = reporter.times;
  for (const char* name : {"ProcessFile", "DurableCopy"}) {
    if (times.count(name) == 0 || times.at(name) <= 0) return 1;
  }
  std::printf("process_file_ratio: %.2f\n", times.at("ProcessFile") / times.at("DurableCopy"));
  // Every block of the large file's size comes fresh from the system, as in a program that
  // repairs once, not from memory that an earlier iteration gave back.
  ::mallopt(M_MMAP_THRESHOLD, 1 << 17);
  const Sample big(veltrim::blocklist::MakeBlockList(kBigLines).before);
  const std::size_t peak = BigPeakBytes(big);
  std::printf("big_peak_bytes: %zu (%.2f times the file's size)\n", peak,
              static_cast<double>(peak) / static_cast<double>(big.contents.size()));
  return 0;
}
