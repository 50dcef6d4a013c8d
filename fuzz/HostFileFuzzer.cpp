// Feeds arbitrary host-file contents and host names through HostFileHandler and checks what the
// file holds afterwards against a plain model of the repair: its lines, however many, their
// ends, the marks, the copies of lines with several names and the byte-order mark, whatever
// fails on the way.
//
// Input: one byte of settings (the host name's length in the low four bits, the fault in the
// high four: a failing operation, or another program's write while the rename waits), the host
// name, then the file's contents. The input's length sets the size of the pieces written.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "FaultyFileSystem.h"
#include "HostFileHandler.h"
#include "HostFileText.h"
#include "MemoryFileSystem.h"
#include "SystemError.h"

namespace {

using veltrim::hostfix::Naming;
using veltrim::testing::Fault;
using veltrim::testing::FaultyFileSystem;
using veltrim::testing::MemoryFileSystem;

const std::string kPath = "C:\\Windows\\System32\\drivers\\etc\\hosts";

void Check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "property violated: %s\n", what);
    std::abort();
  }
}

// A line ends at CR, CR LF or LF; a last line without an end still counts.
std::vector<std::string> LinesOf(const std::string& contents) {
  std::vector<std::string> lines;
  std::string line;
  for (std::size_t i = 0; i < contents.size(); ++i) {
    char c = contents[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(line);
      line.clear();
      if (c == '\r' && i + 1 < contents.size() && contents[i + 1] == '\n') ++i;
    } else {
      line += c;
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

const std::string kUtf8Mark = "\xEF\xBB\xBF";

bool StartsWithMark(const std::string& text) { return text.compare(0, 3, kUtf8Mark) == 0; }

// A UTF-8 byte-order mark in front of the first line stays in front of its "#".
std::string Joined(const std::vector<std::string>& lines, const std::string& domain, bool mark) {
  std::string out;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string line = lines[i];
    if (i == 0 && StartsWithMark(line)) {
      out += kUtf8Mark;
      line.erase(0, 3);
    }
    // Which names of a line are the host's is the line table's to prove; here it is the whole
    // file, every line looked at.
    const auto naming = mark ? veltrim::hostfix::NamesHost(line, domain) : Naming::None;
    if (naming != Naming::None) out += '#';
    out += line + "\r\n";
    if (naming == Naming::Some) {
      veltrim::hostfix::AppendOtherNames(line, domain, out);
      out += "\r\n";
    }
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t domainLength = std::min<std::size_t>(data[0] & 0x0F, size - 1);
  const int faultNumber = data[0] >> 4;
  const Fault fault = faultNumber <= static_cast<int>(Fault::ChangedDuringWait)
                          ? static_cast<Fault>(faultNumber)
                          : Fault::None;
  const std::string domain(reinterpret_cast<const char*>(data) + 1, domainLength);
  const std::string contents(reinterpret_cast<const char*>(data) + 1 + domainLength,
                             size - 1 - domainLength);

  MemoryFileSystem platform;
  platform.files[kPath] = contents;
  FaultyFileSystem faulty(platform, fault);
  // Pieces of 1 to 40 bytes, so that small files reach the writer's piece bounds too.
  veltrim::hostfix::HostFileHandler handler(faulty, "C:\\lock", 1 + size % 40);
  // The other program writes only once a repair is on its way to the rename; the repair then
  // starts over from what it wrote, and decides anew from that alone. Its line may join a last
  // line that had no end, so that nothing there names the host any more.
  // A file in which no line names the host is not rewritten: marking changes none of its lines.
  const auto nothingToRepair = [&](const std::string& file) {
    const std::vector<std::string> lines = LinesOf(file);
    return veltrim::hostfix::IsUtf16(file) ||
           Joined(lines, domain, true) == Joined(lines, domain, false);
  };
  const bool changed = fault == Fault::ChangedDuringWait && !nothingToRepair(contents);
  const std::string theirs = changed ? contents + veltrim::testing::OtherProgramsLine(1) : contents;
  const bool leftAlone = nothingToRepair(theirs);
  const std::vector<std::string> lines = LinesOf(theirs);

  bool failed = false;
  try {
    handler.ProcessFile(kPath, domain);
  } catch (const veltrim::platform::SystemError&) {
    Check(fault != Fault::None && fault != Fault::ChangedDuringWait && !leftAlone,
          "a write fails only where it was made to");
    failed = true;
  }
  Check(platform.files.size() == 1, "no temporary file is left behind");
  Check(handler.RepairedNames().empty() == (failed || leftAlone),
        "the names of repaired lines are given for a rewritten file alone");
  if (failed || leftAlone) {
    Check(platform.files[kPath] == theirs,
          "a file that is not repaired stays byte for byte, as the other program left it");
    faulty.fault = Fault::None;
    handler.RestoreFile();
    Check(platform.files[kPath] == theirs, "the restore undoes nothing that was not rewritten");
    Check(platform.files.size() == 1, "no temporary file is left behind by the restore");
    return 0;
  }
  Check(fault == Fault::None || fault == Fault::ChangedDuringWait,
        "a failing repair does not report success");
  Check(platform.files[kPath] == Joined(lines, domain, true),
        "each line that names the host gains one '#' and, where it names others too, a copy "
        "with only those; every line ends in CR LF");
  Check(!StartsWithMark(contents) || StartsWithMark(platform.files[kPath]),
        "a leading UTF-8 byte-order mark is kept in front");

  handler.RestoreFile();
  Check(platform.files.size() == 1, "no temporary file is left behind by the restore");
  Check(platform.files[kPath] == Joined(lines, domain, false),
        "the restore writes back the lines as read");
  return 0;
}
