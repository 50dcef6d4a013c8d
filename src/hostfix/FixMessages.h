// Every text that Veltrim gives the user: what the fix says at its end, the question it asks,
// and why a host file was not repaired. Texts are UTF-8, line breaks CR LF.
#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>
#include <vector>

namespace veltrim::hostfix {

inline constexpr char kInvalidWebAddress[] = "Invalid web address";
inline constexpr char kDidThePageLoad[] = "Did the Page load successfully?";
inline constexpr char kUnexpectedError[] = "An unexpected error occurred.";

// Yes, after the resolver was seen to answer without the repaired lines.
std::string CorrectionRemains();
// No, after the same: the host files were not what kept the page away.
std::string NotDnsRelated();
// No, after a wait that Cancel or its bound cut short before the page's own names were
// answered anew: the page may have gone to an old address, so no verdict on the host files can
// be given.
std::string NotYetRead();
// No, after the page's own names were answered anew but `names`, other repaired ones, were not
// when the page opened.
std::string NotAnsweredAnew(const std::vector<std::string>& names);
// A host that a page needs, and the line of a host file that blocks it.
struct BlockedHost {
  std::string host;
  std::string file;
  std::size_t line = 0;  // from 1
};

// Asks whether to unblock `blocked`, the hosts that the page needs and lines of the host files
// block: Yes or No.
std::string UnblockTheHostsTooQuestion(const std::vector<BlockedHost>& blocked);
// No, after the user chose to keep `blocked` blocked.
std::string StillBlocked(const std::vector<BlockedHost>& blocked);
// No, where the page could not be read to see which hosts it needs: `why`, as a clause.
std::string PageNotRead(const std::string& why);

// The window closed while the resolver had not yet taken in the repair.
std::string ClosedBeforeWindowsRead();
// The network's own name server answers `address` for `host`, as a blocking list does;
// `repaired` are the names whose lines this fix commented out.
std::string BlockedByTheNetwork(const std::string& host, const std::string& address,
                                const std::vector<std::string>& repaired);
// Neither the resolver nor the network's own name server knows `host`.
std::string UnknownName(const std::string& host, const std::vector<std::string>& repaired);
// The window closed once Windows had read the repair, before the page opened.
std::string OpenItYourself(const std::string& asTyped);
// The desktop shell would not open the page.
std::string CouldNotOpenThePage(const std::string& asTyped);

// Why a fix stopped: a failed operation of the system as "Could not <action> <path>." with the
// system's error, any other refusal as it was given.
std::string FailureMessage(const std::exception& error);

std::string NoSystemFolder();
// Windows reads the host files from the folder that `configured` names, which is not certainly
// one of this computer.
std::string HostFilesFolderUnknown(const std::string& configured);
// `size` bytes, over `limit`; `repaired` when it is the repair that would come out so large.
std::string FileTooLarge(const std::string& path, std::uint64_t size, std::uint64_t limit,
                         bool repaired);
std::string LinkNotFollowed(const std::string& path);
std::string KeptChanging(const std::string& path);
std::string AnotherVeltrimRepairing(const std::string& path);

}  // namespace veltrim::hostfix
