// What a repair writes, to the byte; what it leaves where a file is not for it, where a step of
// the rewrite fails at any point (the file byte for byte as it was and no new file beside it),
// and where another program keeps changing the file meanwhile.
#include "HostFileHandler.h"

#include <gtest/gtest.h>

#include "BlockList.h"
#include "FaultyFileSystem.h"
#include "FixMessages.h"
#include "HostFileText.h"
#include "SystemError.h"
#include "TempFolder.h"
#include "Thrown.h"

namespace veltrim::hostfix {
namespace {

using testing::Fault;
using testing::TempFolder;
using namespace std::string_literals;

const std::string kLock = RepairLockPath("C:\\windows\\system32");

struct RewriteCase {
  std::string name;
  std::string before;
  std::string host;
  std::string after;
  std::size_t piece = HostFileHandler::kPieceBytes;  // the most written at once
};

void PrintTo(const RewriteCase& c, std::ostream* os) { *os << c.name; }

class Rewrite : public ::testing::TestWithParam<RewriteCase> {};

TEST_P(Rewrite, WritesExactBytes) {
  const RewriteCase& c = GetParam();
  TempFolder folder;
  folder.Write("hosts", c.before);
  HostFileHandler handler(folder.Files(), kLock, c.piece);

  handler.ProcessFile(folder.PathOf("hosts"), c.host);
  EXPECT_EQ(folder.Read("hosts"), c.after);
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"hosts"});

  handler.ProcessFile(folder.PathOf("hosts"), c.host);
  EXPECT_EQ(folder.Read("hosts"), c.after) << "a second repair changes nothing";
}

// Lines of a piece's length, less 2 to plus 2 bytes, kept and repaired, at the start of a piece
// and after a line that leaves the piece a little fuller; and lines that miss the room left by 0
// to 2 bytes. Pieces of 16 bytes stand for the 64 KiB ones.
std::vector<RewriteCase> AtPieceBounds() {
  constexpr std::size_t kPiece = 16;
  std::vector<RewriteCase> cases;
  const auto add = [&](const std::string& name, const std::string& first, std::size_t length) {
    const std::string kept = "#" + std::string(length - 1, 'k');
    // Blanks between the address and the host make the line as long as asked.
    const std::string repaired = "1.1.1.1" + std::string(length - 8, ' ') + "x";
    const std::string start = first.empty() ? "" : first + "\n";
    const std::string written = first.empty() ? "" : first + "\r\n";
    cases.push_back({name + "Kept", start + kept + "\n1.1.1.1 x\n", "x",
                     written + kept + "\r\n#1.1.1.1 x\r\n", kPiece});
    cases.push_back({name + "Repaired", start + repaired + "\n#a\n", "x",
                     written + "#" + repaired + "\r\n#a\r\n", kPiece});
  };
  for (std::size_t length = kPiece - 2; length <= kPiece + 2; ++length) {
    const std::string size = std::to_string(length);
    add("PieceStart" + size, "", length);
    add("AfterALine" + size, "#a", length);
  }
  // "#a" and its line end leave 12 bytes.
  for (std::size_t length = 10; length <= 12; ++length) {
    add("RoomLeft12Line" + std::to_string(length), "#a", length);
  }
  return cases;
}

std::vector<RewriteCase> RewriteCases() {
  std::vector<RewriteCase> cases = AtPieceBounds();
  cases.insert(
      cases.end(),
      {RewriteCase{"EmptyFileStaysEmpty", "", "example.com", ""},
       RewriteCase{"NothingNamedLeftAsItIs", "1.1.1.1 a\n2.2.2.2 b\r3.3.3.3 example.co\n",
                   "example.com", "1.1.1.1 a\n2.2.2.2 b\r3.3.3.3 example.co\n"},
       RewriteCase{"LastLineWithoutEndGetsCrLf", "a\r\n10.0.0.1 example.com", "example.com",
                   "a\r\n#10.0.0.1 example.com\r\n"},
       RewriteCase{"LoneCrEndsALine", "a\r10.0.0.1 example.com\rb\r", "example.com",
                   "a\r\n#10.0.0.1 example.com\r\nb\r\n"},
       RewriteCase{"EmptyLinesKept", "\r\n\n\r1.1.1.1 x\r\n", "x", "\r\n\r\n\r\n#1.1.1.1 x\r\n"},
       // The first line fills the piece that is written exactly; the last is longer than one.
       RewriteCase{"LinesAsLongAsThePiecesWritten",
                   "#" + std::string(65533, 'a') + "\n1.1.1.1 x\n#" + std::string(100000, 'b'), "x",
                   "#" + std::string(65533, 'a') + "\r\n#1.1.1.1 x\r\n#" +
                       std::string(100000, 'b') + "\r\n"},
       RewriteCase{"BytesRoundTripAndCaseIsIgnored",
                   "caf\xE9 \xC3\xA9t\xC3\xA9\r\nnul\0byte example.com\r\n"s, "EXAMPLE.com",
                   "caf\xE9 \xC3\xA9t\xC3\xA9\r\n#nul\0byte example.com\r\n"s},
       // Marked as UTF-16, a file is left alone, even where its bytes read one at a time name the
       // host.
       RewriteCase{"Utf16BigEndianLeftAlone", "\xFE\xFF 1.1.1.1 h\r\n", "h",
                   "\xFE\xFF 1.1.1.1 h\r\n"},
       RewriteCase{"Utf8MarkStaysInFront",
                   "\xEF\xBB\xBF"
                   "10.0.0.1 example.com\r\nx\r\n",
                   "example.com", "\xEF\xBB\xBF#10.0.0.1 example.com\r\nx\r\n"},
       RewriteCase{"Utf8MarkLongerThanAPiece",
                   "\xEF\xBB\xBF"
                   "1.1.1.1 x",
                   "x", "\xEF\xBB\xBF#1.1.1.1 x\r\n", 2},
       RewriteCase{"Utf8MarkIsNoPartOfTheLine",
                   "\xEF\xBB\xBF\r\n1.1.1.1 x\r\n\xEF\xBB\xBF"
                   "1.1.1.1 x\r\n",
                   "x",
                   "\xEF\xBB\xBF\r\n#1.1.1.1 x\r\n#\xEF\xBB\xBF"
                   "1.1.1.1 x\r\n"}});
  return cases;
}

INSTANTIATE_TEST_SUITE_P(HostFileHandler, Rewrite, ::testing::ValuesIn(RewriteCases()),
                         [](const auto& info) { return info.param.name; });

// A file of the line alone, as a repair writes it: the line marked and, where it names others
// too, a line of those. A file in which no line names the host is not rewritten.
RewriteCase Line(const std::string& line, const std::string& host, bool marked,
                 const std::string& others = "") {
  const std::string written = marked ? "#" + line + "\r\n" : line;
  return {line, line, host, others.empty() ? written : written + others + "\r\n"};
}

constexpr bool kKept = false;
constexpr bool kMarked = true;

// A line names the host when one of its names, after the address and before any comment, is
// the host or a name under it. Of a line that names others too, they stay in force on a line of
// their own, with the same address, blanks and comment.
INSTANTIATE_TEST_SUITE_P(
    HostFileText, Rewrite,
    ::testing::Values(
        Line("10.0.0.1 example.com", "example.com", kMarked),
        Line("10.0.0.1\tEXAMPLE.Com.", "example.com", kMarked),
        Line("::1 a.b.example.com", "example.com", kMarked),
        Line("10.0.0.1 example.com", "Example.COM", kMarked),
        Line("10.0.0.1 example.com.evil", "example.com", kKept),
        Line("0.0.0.0 bad.com", "ad.com", kKept),
        Line("10.0.0.1 notexample.com", "example.com", kKept),
        Line("10.0.0.1 .example.com", "example.com", kKept),
        Line("10.0.0.1 example", "example.com", kKept),
        Line("10.0.0.1 EXAMPLE.NET", "example.com", kKept),
        Line("10.0.0.1 com", "example.com", kKept),
        Line("10.0.0.1 other # example.com", "example.com", kKept),
        Line("10.0.0.1 other#example.com", "example.com", kKept),
        Line("#10.0.0.1 example.com", "example.com", kKept),
        Line("  # 10.0.0.1 example.com", "example.com", kKept),
        Line("example.com", "example.com", kKept),
        Line("example.com 10.0.0.1", "example.com", kKept), Line("10.0.0.1 example.com", "", kKept),
        Line("10.0.0.1 .", "", kKept),
        // Under a one-label host only the host itself: "com" is no page.
        Line("127.0.0.1 localhost", "localhost", kMarked), Line("127.0.0.1 localhost", "l", kKept),
        Line("10.0.0.1 example.com", "com", kKept), Line("10.0.0.1 www.com", "www.com", kMarked),
        // Several names: the others keep their blanks, trailing dots and the comment.
        Line("  10.0.0.1  other.net\t\tsub.example.com  # blocked", "example.com", kMarked,
             "  10.0.0.1  other.net  # blocked"),
        Line("0.0.0.0 example.com\ta.net b.org.", "example.com", kMarked, "0.0.0.0\ta.net b.org."),
        Line("0.0.0.0 a.net EXAMPLE.COM. b.org x.example.com#list", "example.com", kMarked,
             "0.0.0.0 a.net b.org#list"),
        Line("0.0.0.0 example.com www.example.com\t# both", "example.com", kMarked),
        Line("0.0.0.0 example.com.evil example.com", "example.com", kMarked,
             "0.0.0.0 example.com.evil"),
        // lmhosts: the name follows the address; keywords such as #PRE are comments.
        Line("10.0.0.2 EXAMPLE.COM #PRE #DOM:corp", "example.com", kMarked),
        Line("10.0.0.2 other #PRE #DOM:example.com", "example.com", kKept),
        Line("#INCLUDE \\\\example.com\\share\\lmhosts", "example.com", kKept),
        Line("10.0.0.2 xn--e1afmkfd.xn--p1ai #PRE", "xn--e1afmkfd.xn--p1ai", kMarked)),
    [](const auto& info) { return "Line" + std::to_string(info.index); });

// After a ProcessFile that rewrote nothing, RestoreFile has nothing to undo: it must not write
// the lines of an earlier file, or none, over the one it was last given.
struct UntouchedCase {
  const char* name;
  std::string contents;  // of "hosts"; nothing means no file there
  // A link to "target", a file that holds `contents` or a folder.
  enum Kind { File, Folder, Link, FolderLink } kind = File;
  std::uintmax_t size = 0;   // when set, the file is made this large
  const char* refusal = "";  // what it says after "Could not repair ...\hosts: "
};

void PrintTo(const UntouchedCase& c, std::ostream* os) { *os << c.name; }

// Lines ending in LF alone, two bytes short of the bound, one of which names "other".
std::string JustUnderTheBound() {
  std::string text = "1.1.1.1 other\n";
  const std::string filler = "0.0.0.0 " + std::string(55, 'a') + "\n";
  text.reserve(kMaxHostFileBytes);
  while (text.size() + filler.size() <= kMaxHostFileBytes - 2) text += filler;
  return text + "#" + std::string(kMaxHostFileBytes - 3 - text.size(), 'x');
}

class LeftAlone : public ::testing::TestWithParam<UntouchedCase> {};

TEST_P(LeftAlone, AndRestoreDoesNothing) {
  const UntouchedCase& c = GetParam();
  TempFolder folder;
  folder.Write("saved", "1.1.1.1 example.com\r\n");
  const bool linked = c.kind == UntouchedCase::Link || c.kind == UntouchedCase::FolderLink;
  const std::string file = linked ? "target" : "hosts";
  if (c.kind == UntouchedCase::Folder || c.kind == UntouchedCase::FolderLink) {
    folder.MakeFolder(file);
  }
  if (!c.contents.empty()) folder.Write(file, c.contents);
  if (linked && !folder.MakeLink("hosts", file, c.kind == UntouchedCase::FolderLink)) {
    GTEST_SKIP() << "no symbolic link can be made here";
  }
  if (c.size != 0) folder.Resize(file, c.size);
  HostFileHandler handler(folder.Files(), kLock);
  handler.ProcessFile(folder.PathOf("saved"), "example.com");

  EXPECT_EQ(
      testing::WhatThrown([&] { handler.ProcessFile(folder.PathOf("hosts"), "other"); }),
      *c.refusal == '\0' ? "" : "Could not repair " + folder.PathOf("hosts") + ": " + c.refusal);
  handler.RestoreFile();

  EXPECT_EQ(folder.Read("saved"), "#1.1.1.1 example.com\r\n");
  if (c.size != 0) {
    EXPECT_EQ(folder.Read(file).size(), c.size);
  } else if (!c.contents.empty()) {
    EXPECT_EQ(folder.Read(file), c.contents);
  }
  std::vector<std::string> names{"saved"};
  if (!c.contents.empty() || c.kind != UntouchedCase::File) names.insert(names.begin(), "hosts");
  if (linked) names.emplace_back("target");
  EXPECT_EQ(folder.Names(), names);
}

INSTANTIATE_TEST_SUITE_P(
    HostFileHandler, LeftAlone,
    ::testing::Values(UntouchedCase{"Absent", ""},
                      UntouchedCase{"Folder", "", UntouchedCase::Folder},
                      UntouchedCase{"Utf16", "\xFF\xFE 1.1.1.1 other\r\n"},
                      UntouchedCase{"LargerThan64MiB", "1.1.1.1 other\r\n", UntouchedCase::File,
                                    (std::uintmax_t{64} << 20) + 1,
                                    "it is 64.0 MB (67108865 bytes), and Veltrim repairs host "
                                    "files of up to 64 MB. It was left as it was."},
                      // Its LF line ends would come back as CR LF, over the bound: the next
                      // repair would refuse it.
                      UntouchedCase{"WouldGrowPastTheBound", JustUnderTheBound(),
                                    UntouchedCase::File, 0,
                                    "repaired, it would be 65.0 MB (68157441 bytes), and Veltrim "
                                    "repairs host files of up to 64 MB. It was left as it was."},
                      // The resolver would read the file the link points to, wherever it is.
                      UntouchedCase{"Link", "1.1.1.1 other\r\n", UntouchedCase::Link, 0,
                                    "it is a link to another file, which Veltrim does not "
                                    "follow. It was left as it was."},
                      // A folder's link, whatever file the resolver finds through it.
                      UntouchedCase{"FolderLink", "", UntouchedCase::FolderLink, 0,
                                    "it is a link to another file, which Veltrim does not "
                                    "follow. It was left as it was."}),
    [](const auto& info) { return std::string(info.param.name); });

// An ad-blocking list of the size in wide use, saved with a byte-order mark: the lines that
// name the host are repaired and every other byte stays. The undo writes back the lines that
// the last repair read, as they were, again if asked again.
TEST(HostFileHandler, RepairsABlockListOfAHundredAndSeventyThousandLines) {
  const blocklist::BlockList list = blocklist::MakeBlockList(170000);
  std::string before = "\xEF\xBB\xBF";
  for (char c : list.before) before += c == '\n' ? "\r\n" : std::string(1, c);
  const auto localhostMarked = [](std::string text) {
    text.insert(text.find("127.0.0.1 localhost"), "#");
    return text;
  };
  TempFolder folder;
  folder.Write("hosts", before);
  HostFileHandler handler(folder.Files(), kLock);

  handler.ProcessFile(folder.PathOf("hosts"), "localhost");
  handler.ProcessFile(folder.PathOf("hosts"), blocklist::kBlockListHost);
  EXPECT_TRUE(folder.Read("hosts") == "\xEF\xBB\xBF" + localhostMarked(list.after));

  handler.RestoreFile();
  handler.RestoreFile();
  EXPECT_TRUE(folder.Read("hosts") == localhostMarked(before));
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"hosts"});
}

// A failure at any point of the rewrite leaves the host file byte for byte as it was and no new
// file beside it.
class FailingRewrite : public ::testing::TestWithParam<Fault> {};

TEST_P(FailingRewrite, LeavesTheFileWholeAndNothingBeside) {
  TempFolder folder;
  const std::string before = "127.0.0.1 localhost\n10.0.0.1 example.com\n";
  folder.Write("hosts", before);
  testing::FaultyFileSystem faulty(folder.Files(), GetParam());
  HostFileHandler handler(faulty, kLock);

  const auto error = testing::Thrown<platform::SystemError>(
      [&] { handler.ProcessFile(folder.PathOf("hosts"), "example.com"); });
  ASSERT_TRUE(error);
  EXPECT_EQ(FailureMessage(*error),
            "Could not write " + error->Path() +
                ".\r\n\r\nError 112: There is not enough space on the disk.");
  EXPECT_EQ(folder.Read("hosts"), before);
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"hosts"});

  // Nothing was rewritten, so there is nothing to undo.
  EXPECT_NO_THROW(handler.RestoreFile());
  EXPECT_EQ(folder.Read("hosts"), before);
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"hosts"});
}

std::string FaultName(const ::testing::TestParamInfo<Fault>& info) {
  const char* const names[] = {"",        "AtCreate",         "MidWrite",  "AtFlush",
                               "AtClose", "AtCopyProtection", "AtReplace", "NotWritable"};
  return names[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(HostFileHandler, FailingRewrite,
                         ::testing::Values(Fault::Writable, Fault::Create, Fault::Write,
                                           Fault::Flush, Fault::Close, Fault::CopyProtection,
                                           Fault::Replace),
                         FaultName);

// Another program (a VPN client, say) writes the host file while the rename waits, for the first
// `times` attempts. Changed once or twice, the file is repaired with the other program's lines
// in it and marked too; changed at every attempt, it is left as the other program wrote it.
TEST(HostFileHandler, ChangesOfAnotherProgramAreKept) {
  for (int times : {2, HostFileHandler::kAttempts}) {
    TempFolder folder;
    const std::string ours = "127.0.0.1 localhost\r\n10.0.0.9 example.com\r\n";
    folder.Write("hosts", ours);
    testing::FaultyFileSystem changing(folder.Files(), Fault::ChangedDuringWait);
    changing.changes = times;
    HostFileHandler handler(changing, kLock);
    const std::string error =
        testing::WhatThrown([&] { handler.ProcessFile(folder.PathOf("hosts"), "example.com"); });
    std::string theirs = ours;
    for (int change = 1; change <= times; ++change) theirs += testing::OtherProgramsLine(change);
    if (times < HostFileHandler::kAttempts) {
      EXPECT_EQ(error, "");
      EXPECT_EQ(folder.Read("hosts"),
                "127.0.0.1 localhost\r\n#10.0.0.9 example.com\r\n"
                "#10.8.0.1 vpn.example.com\r\n#10.8.0.2 vpn.example.com\r\n");
    } else {
      EXPECT_EQ(error, "Could not repair " + folder.PathOf("hosts") +
                           ": another program kept changing it. It was left as that program "
                           "wrote it.");
      EXPECT_EQ(folder.Read("hosts"), theirs);
    }
    // Undone, it holds the other program's lines as last read, or nothing was rewritten.
    handler.RestoreFile();
    EXPECT_EQ(folder.Read("hosts"), theirs);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"hosts"});
  }
}

}  // namespace
}  // namespace veltrim::hostfix
