// ProcessFile on a 200-line hosts file beside the least that any crash-safe rewrite of the same
// bytes costs: write a new file, force it to the disk, rename it into place.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>

#include "HostFileHandler.h"
#include "NativeFileSystem.h"

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

struct Sample {
  Sample() : folder(fs::temp_directory_path() / ("veltrim-bench-" + std::to_string(::getpid()))) {
    fs::create_directories(folder);
    path = (folder / "hosts").string();
  }
  ~Sample() { fs::remove_all(folder); }
  void Reset() const { std::ofstream(path, std::ios::binary | std::ios::trunc) << contents; }
  fs::path folder;
  std::string path;
  std::string contents = SampleHostsFile();
};

void ProcessFile(benchmark::State& state) {
  Sample sample;
  veltrim::platform::NativeFileSystem files;
  veltrim::hostfix::HostFileHandler handler(files);
  for (auto _ : state) {
    state.PauseTiming();
    sample.Reset();
    state.ResumeTiming();
    handler.ProcessFile(sample.path, "example.com");
  }
}

void DurableCopy(benchmark::State& state) {
  Sample sample;
  const std::string temp = sample.path + ".new";
  for (auto _ : state) {
    state.PauseTiming();
    sample.Reset();
    state.ResumeTiming();
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || ::write(fd, sample.contents.data(), sample.contents.size()) < 0 ||
        ::fsync(fd) != 0 || ::close(fd) != 0 || std::rename(temp.c_str(), sample.path.c_str())) {
      state.SkipWithError("durable copy failed");
      break;
    }
  }
}

BENCHMARK(ProcessFile)->Unit(benchmark::kMicrosecond)->MinTime(1.0);
BENCHMARK(DurableCopy)->Unit(benchmark::kMicrosecond)->MinTime(1.0);

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

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RecordingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  auto process = reporter.times.find("ProcessFile");
  auto copy = reporter.times.find("DurableCopy");
  if (process == reporter.times.end() || copy == reporter.times.end() || copy->second <= 0) {
    return 1;
  }
  std::printf("process_file_ratio: %.2f\n", process->second / copy->second);
  return 0;
}
