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

// Answers as GetSystemDirectory does for a system folder of the given path.
struct ReportsFolder {
  unsigned operator()(char* buffer, unsigned capacity) {
    ++calls;
    if (folder.empty()) return 0;
    if (folder.size() >= capacity) return static_cast<unsigned>(folder.size() + 1);
    std::memcpy(buffer, folder.c_str(), folder.size() + 1);
    return static_cast<unsigned>(folder.size());
  }
  std::string folder;
  int calls = 0;
};

TEST(AskForText, ReturnsTheTextOfAnyLengthOrNothing) {
  for (const std::string& folder : {std::string("C:\\WINDOWS\\system32"), std::string(255, 'x'),
                                    std::string(256, 'y'), std::string(1000, 'z'), std::string()}) {
    ReportsFolder call{folder};
    EXPECT_EQ(
        AskForText<char>([&](char* buffer, unsigned capacity) { return call(buffer, capacity); }),
        folder)
        << folder.size() << " characters";
    EXPECT_EQ(call.calls, folder.size() < 256 ? 1 : 2);
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
  const std::pair<std::string, const char*> cases[] = {{"10.0.0.1", "10.0.0.1"},
                                                       {"0.0.0.0", "0.0.0.0"},
                                                       {"::0", "::"},
                                                       {"::ffff:10.0.0.1", "10.0.0.1"},
                                                       {"0:0:0:0:0:0:0:1", "::1"},
                                                       {"FE80::A", "fe80::a"},
                                                       {"", ""},
                                                       {"localhost", ""},
                                                       {"10.0.0", ""},
                                                       {"127.1", ""},
                                                       {"1.2.3.4 ", ""},
                                                       {"::g", ""},
                                                       {std::string("1.2.3.4\0x", 9), ""}};
  for (const auto& [text, address] : cases) {
    const std::optional<IpAddress> read = ParseIpAddress(text);
    EXPECT_EQ(read ? IpAddressText(*read) : "", address) << text;
  }
}

// Only the names that a run makes beside a host file count as its leftovers.
TEST(SiblingNames, TellTheProgramsOwnNewFiles) {
  EXPECT_EQ(NewFileNameBeside("C:\\etc\\hosts", 0x1a2b, 7), "C:\\etc\\hosts.1a2b-7.veltrim-new");
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
