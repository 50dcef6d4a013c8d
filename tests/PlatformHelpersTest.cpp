#include <gtest/gtest.h>

#include <cstring>
#include <utility>
#include <vector>

#include "AskForText.h"
#include "IpAddress.h"
#include "Scoped.h"
#include "SiblingNames.h"
#include "SystemVariables.h"

namespace veltrim::platform {
namespace {

TEST(AskForText, ReturnsTheTextOfAnyLengthOrNothing) {
  for (const std::string& folder : {std::string("C:\\WINDOWS\\system32"), std::string(255, 'x'),
                                    std::string(256, 'y'), std::string(1000, 'z'), std::string()}) {
    // Answers as GetSystemDirectory does for a system folder of that path.
    int calls = 0;
    const auto reports = [&](char* buffer, unsigned capacity) {
      ++calls;
      const auto size = static_cast<unsigned>(folder.size());
      if (size < capacity) std::memcpy(buffer, folder.c_str(), size + 1);
      return folder.empty() ? 0 : size < capacity ? size : size + 1;
    };
    EXPECT_EQ(AskForText<char>(reports), folder) << folder.size() << " characters";
    EXPECT_EQ(calls, folder.size() < 256 ? 1 : 2);
  }
  // Nothing, when the second buffer is still too small.
  unsigned needed = 300;
  EXPECT_EQ(AskForText<char>([&](char*, unsigned) { return needed++; }), "");
}

std::vector<int> freed;
struct CountedTraits {
  using Value = int;
  static constexpr Value kNone = 0;
  static bool Free(Value value) {
    freed.push_back(value);
    return true;
  }
};

// Each resource is released once: when its owner is given another, is filled again through
// Out, or goes; never when the owner is moved or gives the resource up.
TEST(Scoped, ReleasesEachResourceOnce) {
  freed.clear();
  {
    Scoped<CountedTraits> first(1);
    *first.Out() = 2;
    Scoped<CountedTraits> second(std::move(first));
    second.Reset(3);
    Scoped<CountedTraits> third(4);
    third = std::move(second);
    EXPECT_EQ(Scoped<CountedTraits>(5).Release(), 5);
  }
  EXPECT_EQ(freed, (std::vector<int>{1, 2, 4, 3}));
}

// Only the system's own values go into the folder; any other variable, which the user's
// environment would fill, leaves no folder at all.
TEST(SystemVariables, ExpandOnlyTheSystemsOwnValues) {
  const std::pair<const char*, const char*> cases[] = {
      {"%SystemRoot%\\etc", "C:\\Windows\\etc"},
      {"\\\\?\\%WINDIR%\\etc", "\\\\?\\C:\\Windows\\etc"},
      {"%systemdrive%\\x", "C:\\x"},
      {"D:\\100%", "D:\\100%"},
      {"%SystemRoot%\\%USERPROFILE%", ""},
      {"%TEMP%\\etc", ""},
      {"%%\\etc", ""}};
  for (const auto& [value, expanded] : cases) {
    EXPECT_EQ(ExpandSystemVariables(value, "C:\\Windows"), expanded) << value;
  }
}

// Numeric addresses only, read as the system reads them, each written in its usual text: an
// IPv4-mapped address is its IPv4 address. The text is the address, or empty for refused.
TEST(IpAddress, ReadsNumericAddressesOnly) {
  struct Case {
    std::string text;
    const char* address;
  };
  for (const Case& c : {Case{"10.0.0.1", "10.0.0.1"}, Case{"0.0.0.0", "0.0.0.0"}, Case{"::0", "::"},
                        Case{"::ffff:10.0.0.1", "10.0.0.1"}, Case{"0:0:0:0:0:0:0:1", "::1"},
                        Case{"FE80::A", "fe80::a"}, Case{"", ""}, Case{"localhost", ""},
                        Case{"10.0.0", ""}, Case{"127.1", ""}, Case{"1.2.3.4 ", ""},
                        Case{"::g", ""}, Case{std::string("1.2.3.4\0x", 9), ""}}) {
    const std::optional<IpAddress> read = ParseIpAddress(c.text);
    EXPECT_EQ(read ? IpAddressText(*read) : "", c.address) << c.text;
  }
}

// Only the names that a run makes beside a host file count as its leftovers.
TEST(SiblingNames, TellTheProgramsOwnNewFiles) {
  EXPECT_EQ(NewFileNameBeside("C:\\etc\\hosts", 0x1a2b, 7), "C:\\etc\\hosts.1a2b-7.veltrim-new");
  EXPECT_EQ(NewFileNameBeside("hosts", 0, 0), "hosts.0-0.veltrim-new");
  EXPECT_EQ(NewFileNameBeside("hosts", 0xffffffff, 4294967295u),
            "hosts.ffffffff-4294967295.veltrim-new");
  struct Case {
    const char* name;
    bool ours;
  };
  for (const Case& c :
       {Case{"hosts.1a2b-7.veltrim-new", true}, Case{"hosts.0-0.veltrim-new", true},
        Case{"hosts..veltrim-new", false}, Case{"hosts.-7.veltrim-new", false},
        Case{"hosts.1a2b-.veltrim-new", false}, Case{"hosts.1a2b7.veltrim-new", false},
        Case{"hosts.xyz-7.veltrim-new", false}, Case{"hosts.1a2b-7x.veltrim-new", false},
        Case{"hosts.1a2b-7.veltrim-new.bak", false}, Case{"lmhosts.1a2b-7.veltrim-new", false},
        Case{"xosts.1a2b-7.veltrim-new", false}, Case{"hosts", false}, Case{"hosts.x", false},
        Case{"h", false}, Case{".veltrim-new", false}}) {
    EXPECT_EQ(IsNewFileNameOf("hosts", c.name), c.ours) << c.name;
  }
}

}  // namespace
}  // namespace veltrim::platform
