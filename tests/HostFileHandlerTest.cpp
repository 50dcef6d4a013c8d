#include "HostFileHandler.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "TempFolder.h"

namespace veltrim::hostfix {
namespace {

using testing::TempFolder;
using namespace std::string_literals;

std::string Lines(int count, const std::string& line) {
  std::string text;
  for (int i = 0; i < count; ++i) text += line + "\r\n";
  return text;
}

struct RewriteCase {
  const char* name;
  std::string before;
  std::string domain;
  std::string after;
};

void PrintTo(const RewriteCase& c, std::ostream* os) { *os << c.name; }

class Rewrite : public ::testing::TestWithParam<RewriteCase> {};

TEST_P(Rewrite, WritesExactBytes) {
  const RewriteCase& c = GetParam();
  TempFolder folder;
  folder.Write("hosts", c.before);
  HostFileHandler handler(platform::SystemPlatform());

  handler.ProcessFile(folder.PathOf("hosts"), c.domain);

  EXPECT_EQ(folder.Read("hosts"), c.after);
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"hosts"});
}

INSTANTIATE_TEST_SUITE_P(
    HostFileHandler, Rewrite,
    ::testing::Values(
        RewriteCase{"MatchIgnoresCase", "127.0.0.1 localhost\r\n10.0.0.1 Example.COM\r\n",
                    "example.com", "127.0.0.1 localhost\r\n#10.0.0.1 Example.COM\r\n"},
        RewriteCase{"EmptyFileStaysEmpty", "", "example.com", ""},
        RewriteCase{"LastLineWithoutEndGetsCrLf", "a\r\n10.0.0.1 example.com", "example.com",
                    "a\r\n#10.0.0.1 example.com\r\n"},
        RewriteCase{"LoneCrEndsALine", "a\r10.0.0.1 example.com\rb\r", "example.com",
                    "a\r\n#10.0.0.1 example.com\r\nb\r\n"},
        RewriteCase{"LoneLfEndsALine", "127.0.0.1 localhost\n10.0.0.1 example.com\n", "example.com",
                    "127.0.0.1 localhost\r\n#10.0.0.1 example.com\r\n"},
        RewriteCase{"EmptyLinesKept", "\r\n\n\rx\r\n", "x", "\r\n\r\n\r\n#x\r\n"},
        RewriteCase{"MatchInsideLongerNameAndComment",
                    "1.2.3.4 www.example.com.evil\r\n5.6.7.8 other # see example.com\r\n",
                    "example.com",
                    "#1.2.3.4 www.example.com.evil\r\n#5.6.7.8 other # see example.com\r\n"},
        RewriteCase{"CommentedLineGetsAnotherMark", "#1.2.3.4 example.com\r\n", "example.com",
                    "##1.2.3.4 example.com\r\n"},
        RewriteCase{"EmptyDomainMarksEveryNonEmptyLine", "a\r\n\r\nb\r\n", "", "#a\r\n\r\n#b\r\n"},
        RewriteCase{"BytesRoundTrip", "caf\xE9 \xC3\xA9t\xC3\xA9\r\nnul\0byte example.com\r\n"s,
                    "EXAMPLE.com", "caf\xE9 \xC3\xA9t\xC3\xA9\r\n#nul\0byte example.com\r\n"s},
        RewriteCase{"UpToTwoHundredLines", Lines(200, "1.1.1.1 example.com"), "example.com",
                    Lines(200, "#1.1.1.1 example.com")},
        RewriteCase{"Utf16LittleEndianLeftAlone", "\xFF\xFEh\0o\0s\0t\0"s, "h",
                    "\xFF\xFEh\0o\0s\0t\0"s},
        RewriteCase{"Utf16BigEndianLeftAlone", "\xFE\xFF\0h\0o"s, "h", "\xFE\xFF\0h\0o"s}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HostFileHandler, NewHandlerIsEmptyAndRestoreDoesNothing) {
  HostFileHandler handler(platform::SystemPlatform());
  EXPECT_EQ(handler.SavedLineCount(), 0);
  EXPECT_EQ(handler.CurrentLineIndex(), 0);
  EXPECT_EQ(handler.LastFilePath(), "");
  EXPECT_NO_THROW(handler.RestoreFile());
}

TEST(HostFileHandler, KeepsTheLinesAsReadAndRestoresThem) {
  TempFolder folder;
  folder.Write("hosts", "127.0.0.1 localhost\n10.0.0.1 example.com");
  HostFileHandler handler(platform::SystemPlatform());

  handler.ProcessFile(folder.PathOf("hosts"), "example.com");
  EXPECT_EQ(handler.LastFilePath(), folder.PathOf("hosts"));
  EXPECT_EQ(handler.LastDomain(), "example.com");
  EXPECT_EQ(handler.SavedLineCount(), 2);
  EXPECT_EQ(handler.CurrentLineIndex(), 2);
  EXPECT_EQ(handler.SavedLine(2), "10.0.0.1 example.com");

  handler.RestoreFile();
  handler.RestoreFile();
  EXPECT_EQ(folder.Read("hosts"), "127.0.0.1 localhost\r\n10.0.0.1 example.com\r\n");
  EXPECT_EQ(handler.SavedLineCount(), 2);
}

TEST(HostFileHandler, TwoCallsMarkTwiceAndRestoreTheStateBeforeTheSecond) {
  TempFolder folder;
  folder.Write("hosts", "1.1.1.1 example.com\r\n");
  HostFileHandler handler(platform::SystemPlatform());

  handler.ProcessFile(folder.PathOf("hosts"), "example.com");
  handler.ProcessFile(folder.PathOf("hosts"), "example.com");
  EXPECT_EQ(folder.Read("hosts"), "##1.1.1.1 example.com\r\n");

  handler.RestoreFile();
  EXPECT_EQ(folder.Read("hosts"), "#1.1.1.1 example.com\r\n");
}

TEST(HostFileHandler, AbsentFileOrFolderIsLeftAloneAndOnlyRecorded) {
  TempFolder folder;
  folder.Write("saved", "1.1.1.1 example.com\r\n");
  HostFileHandler handler(platform::SystemPlatform());
  handler.ProcessFile(folder.PathOf("saved"), "example.com");

  for (const std::string& path : {folder.PathOf("missing"), folder.PathOf(""), std::string()}) {
    handler.ProcessFile(path, "other");
    EXPECT_EQ(handler.LastFilePath(), path);
    EXPECT_EQ(handler.LastDomain(), "other");
    EXPECT_EQ(handler.SavedLineCount(), 1);
    handler.RestoreFile();
  }
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"saved"});
  EXPECT_EQ(folder.Read("saved"), "#1.1.1.1 example.com\r\n");
}

TEST(HostFileHandler, MoreThanTwoHundredLinesFailsAndChangesNothing) {
  TempFolder folder;
  folder.Write("small", "1.1.1.1 example.com\r\n");
  const std::string big = Lines(201, "1.1.1.1 example.com");
  folder.Write("hosts", big);
  HostFileHandler handler(platform::SystemPlatform());
  handler.ProcessFile(folder.PathOf("small"), "example.com");

  try {
    handler.ProcessFile(folder.PathOf("hosts"), "example.com");
    FAIL() << "no error";
  } catch (const std::out_of_range& error) {
    EXPECT_EQ(std::string(error.what()),
              folder.PathOf("hosts") +
                  " has more than 200 lines; Veltrim can repair host files of up to 200 lines.");
  }
  EXPECT_EQ(folder.Read("hosts"), big);
  EXPECT_EQ(handler.SavedLineCount(), 1);
  EXPECT_EQ(handler.CurrentLineIndex(), 1);
  EXPECT_EQ(handler.SavedLine(1), "1.1.1.1 example.com");
  EXPECT_EQ(folder.Names(), (std::vector<std::string>{"hosts", "small"}));
}

}  // namespace
}  // namespace veltrim::hostfix
