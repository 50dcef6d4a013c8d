#include "FixMessages.h"

#include <algorithm>

#include "SystemError.h"

namespace veltrim::hostfix {

namespace {

std::string CouldNotRepair(const std::string& path, const std::string& why) {
  return "Could not repair " + path + ": " + why;
}

// In tenths, rounded down, so that a size just over the limit does not read as the limit.
std::string Megabytes(std::uint64_t bytes) {
  const std::uint64_t tenths = bytes * 10 >> 20;
  return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " MB";
}

// The names a message lists before "and N more", so that its box stays short enough to read.
constexpr std::size_t kMostNamed = 8;

// Names as a sentence reads them: "a", "a and b", "a, b and c", the first eight at most.
std::string Listed(const std::vector<std::string>& names) {
  const std::size_t named = std::min(names.size(), kMostNamed);
  std::string text;
  for (std::size_t i = 0; i < named; ++i) {
    if (i > 0) text += i + 1 == named && names.size() == named ? " and " : ", ";
    text += names[i];
  }
  if (names.size() > named) text += " and " + std::to_string(names.size() - named) + " more";
  return text;
}

// What this fix did to the host files.
std::string WhatWasRepaired(const std::vector<std::string>& repaired) {
  return repaired.empty() ? "No line of the host files named it, so they were left as they were."
                          : "The host files have been repaired: the lines that named " +
                                Listed(repaired) + " were commented out.";
}

std::string WithReactivate(const std::string& text) {
  return text + "\r\n\r\nYou may now reactivate any web acceleration software that you use.";
}

}  // namespace

std::string CorrectionRemains() {
  return WithReactivate("The correction will remain within the system.");
}

std::string NotDnsRelated() { return WithReactivate("The problem is not DNS related."); }

std::string NotYetRead() {
  return WithReactivate(
      "Windows had not yet read the repaired host files when the page opened, so it may still "
      "have gone to the old address. The host files stay repaired: reload the page in a few "
      "minutes.");
}

std::string NotAnsweredAnew(const std::vector<std::string>& names) {
  return WithReactivate(
      "Windows answered for the page's own name without the repaired lines, but had given no "
      "new answer for " +
      Listed(names) +
      ", which the page may load from, when the page opened. The host files stay repaired: "
      "reload the page in a few minutes.");
}

std::string UnblockTheHostsTooQuestion(const std::vector<BlockedHost>& blocked) {
  std::string text = "The page needs hosts that lines of the host files block:\r\n";
  for (std::size_t i = 0; i < blocked.size() && i < kMostNamed; ++i) {
    text += "\r\n" + blocked[i].host + ": line " + std::to_string(blocked[i].line) + " of " +
            blocked[i].file;
  }
  if (blocked.size() > kMostNamed) {
    text += "\r\nand " + std::to_string(blocked.size() - kMostNamed) + " more";
  }
  return text +
         "\r\n\r\nUnblocking a host unblocks it for every program on this computer, not only "
         "for this page. Unblock them too?";
}

std::string StillBlocked(const std::vector<BlockedHost>& blocked) {
  std::vector<std::string> hosts;
  hosts.reserve(blocked.size());
  for (const BlockedHost& each : blocked) hosts.push_back(each.host);
  return WithReactivate(
      "The page needs hosts that the host files still block, as you chose: " + Listed(hosts) +
      ". To unblock them, run Veltrim again and answer Yes when it asks, or "
      "put a # in front of their lines in the host files.");
}

std::string PageNotRead(const std::string& why) {
  return WithReactivate(
      "Veltrim could not read the page to see which other hosts it needs: " + why +
      ". So it cannot tell whether a line of the host files keeps the page from "
      "loading.");
}

std::string ClosedBeforeWindowsRead() {
  return WithReactivate(
      "The host files have been repaired. Windows had not yet read them: the page may load "
      "once it has, in a few minutes.");
}

std::string BlockedByTheNetwork(const std::string& host, const std::string& address,
                                const std::vector<std::string>& repaired) {
  return WithReactivate(
      "The network blocks " + host + ": its name server answers " + address +
      " for it, as a blocking list does, so the page cannot load on this network.\r\n\r\n" +
      WhatWasRepaired(repaired) +
      " Ask whoever runs the network (a router, a blocking program or your company) to allow " +
      host + ".");
}

std::string UnknownName(const std::string& host, const std::vector<std::string>& repaired) {
  return WithReactivate(
      "Windows cannot find " + host +
      ", and neither can the network's name server: it answers that the name does not exist, "
      "or that it has no address. Check the address for a typing mistake; or the network "
      "blocks the name that way, as some blockers do.\r\n\r\n" +
      WhatWasRepaired(repaired));
}

std::string OpenItYourself(const std::string& asTyped) {
  return "The host files have been repaired. Open " + asTyped +
         " in your browser now to see whether it loads.";
}

std::string CouldNotOpenThePage(const std::string& asTyped) {
  return "Veltrim could not open the page for you: the Windows desktop did not start the "
         "browser.\r\n\r\n" +
         OpenItYourself(asTyped);
}

std::string FailureMessage(const std::exception& error) {
  const auto* failed = dynamic_cast<const platform::SystemError*>(&error);
  if (failed == nullptr) return error.what();
  return "Could not " + failed->Action() + " " + failed->Path() + ".\r\n\r\nError " +
         std::to_string(failed->Number()) + ": " + failed->Description();
}

std::string NoSystemFolder() {
  return "Could not find the Windows system folder, so nothing was changed.";
}

std::string HostFilesFolderUnknown(const std::string& configured) {
  return "Could not repair the host files: Windows is set to read them from \"" + configured +
         "\", and Veltrim cannot tell which folder of this computer that is. No host file was "
         "changed.";
}

std::string FileTooLarge(const std::string& path, std::uint64_t size, std::uint64_t limit,
                         bool repaired) {
  return CouldNotRepair(path, (repaired ? "repaired, it would be " : "it is ") + Megabytes(size) +
                                  " (" + std::to_string(size) +
                                  " bytes), and Veltrim repairs host files of up to " +
                                  std::to_string(limit >> 20) + " MB. It was left as it was.");
}

std::string LinkNotFollowed(const std::string& path) {
  return CouldNotRepair(
      path, "it is a link to another file, which Veltrim does not follow. It was left as it was.");
}

std::string KeptChanging(const std::string& path) {
  return CouldNotRepair(path,
                        "another program kept changing it. It was left as that program wrote it.");
}

std::string AnotherVeltrimRepairing(const std::string& path) {
  return CouldNotRepair(path,
                        "another Veltrim was repairing the host files and did not finish in "
                        "time. It was left as it was.");
}

}  // namespace veltrim::hostfix
