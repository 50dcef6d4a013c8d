// The most heap that the repair of a blocking list of 170,000 lines holds, beyond the file's
// own bytes as the file system holds them.
#include <malloc.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "BlockList.h"
#include "HostFileHandler.h"
#include "MemoryFileSystem.h"

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

// Keeps the file to be read in memory and lets the written bytes go, as a disk would: what is
// counted is the repair's own heap.
class DiskLikeFileSystem final : public veltrim::testing::MemoryFileSystem {
 public:
  std::unique_ptr<veltrim::platform::OutputFile> CreateFileBeside(
      const std::string& path) override {
    return std::make_unique<Sink>(path + ".new");
  }
  bool PutInPlace(const std::string&, const std::string&,
                  std::optional<std::string_view>) override {
    return true;
  }

 private:
  class Sink final : public veltrim::platform::OutputFile {
   public:
    explicit Sink(std::string path) : path_(std::move(path)) {}
    const std::string& Path() const override { return path_; }
    void Write(std::string_view) override {}
    void Flush() override {}
    void Close() override {}

   private:
    std::string path_;
  };
};

}  // namespace

int main() {
  // Every block of the large file's size comes fresh from the system, as in a program that
  // repairs once.
  ::mallopt(M_MMAP_THRESHOLD, 1 << 17);
  DiskLikeFileSystem files;
  const std::string path = "C:\\Windows\\System32\\drivers\\etc\\hosts";
  files.files[path] = veltrim::blocklist::MakeBlockList(170000).before;
  const std::size_t size = files.files[path].size();
  veltrim::hostfix::HostFileHandler handler(files, path + ".lock");
  const std::size_t before = heapBytes;
  peakHeapBytes = before;
  handler.ProcessFile(path, veltrim::blocklist::kBlockListHost);
  const std::size_t peak = peakHeapBytes - before;
  std::printf("big_peak_bytes: %zu (%.2f times the file's size)\n", peak,
              static_cast<double>(peak) / static_cast<double>(size));
  return 0;
}
