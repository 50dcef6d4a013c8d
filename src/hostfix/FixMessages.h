// What the fix tells the user at its end, and the question it asks. Texts are UTF-8, line
// breaks CR LF.
#pragma once

#include <string>

namespace veltrim::hostfix {

inline constexpr char kInvalidWebAddress[] = "Invalid web address";
inline constexpr char kDidThePageLoad[] = "Did the Page load successfully?";

// Yes, after the resolver was seen to answer without the repaired lines.
std::string CorrectionRemains();
// No, after the same: the host files were not what kept the page away.
std::string NotDnsRelated();
// No, after a wait that Cancel or its bound cut short: the page may have gone to an old
// address, so no verdict on the host files can be given.
std::string NotYetRead();
// The window closed while the resolver had not yet taken in the repair.
std::string ClosedBeforeWindowsRead();
// The network's own name server answers `address` for `host`, as a blocking list does; `named`
// says whether a line of the host files named it.
std::string BlockedByTheNetwork(const std::string& host, const std::string& address, bool named);
// The window closed once Windows had read the repair, before the page opened.
std::string OpenItYourself(const std::string& asTyped);
// The desktop shell would not open the page.
std::string CouldNotOpenThePage(const std::string& asTyped);

}  // namespace veltrim::hostfix
