#include "SystemFolder.h"

#include <gtest/gtest.h>

#include <cstring>

#include "support/ForwardingPlatform.h"

namespace veltrim::hostfix {
namespace {

// Answers as GetSystemDirectoryA does for a system folder of the given path.
class ReportsFolder final : public testing::ForwardingPlatform {
 public:
  explicit ReportsFolder(std::string folder)
      : ForwardingPlatform(platform::SystemPlatform()), folder_(std::move(folder)) {}
  unsigned GetSystemDirectoryA(char* buffer, unsigned capacity) override {
    ++calls;
    if (folder_.empty()) return 0;
    if (folder_.size() >= capacity) return static_cast<unsigned>(folder_.size() + 1);
    std::memcpy(buffer, folder_.c_str(), folder_.size() + 1);
    return static_cast<unsigned>(folder_.size());
  }
  int calls = 0;

 private:
  std::string folder_;
};

TEST(GetSystemFolder, ReturnsThePathOrNothing) {
  for (const std::string& folder : {std::string("C:\\WINDOWS\\system32"), std::string(255, 'x'),
                                    std::string(256, 'y'), std::string(1000, 'z'), std::string()}) {
    ReportsFolder platform(folder);
    EXPECT_EQ(GetSystemFolder(platform), folder) << folder.size() << " characters";
    EXPECT_EQ(platform.calls, folder.size() < 256 ? 1 : 2);
  }
}

#ifdef _WIN32
TEST(GetSystemFolder, NamesTheFolderOfTheHostsFile) {
  EXPECT_EQ(GetSystemFolder(platform::SystemPlatform()), "C:\\windows\\system32");
}
#endif

}  // namespace
}  // namespace veltrim::hostfix
