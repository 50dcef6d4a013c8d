#include "FixMessages.h"

namespace veltrim::hostfix {

namespace {

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

std::string ClosedBeforeWindowsRead() {
  return WithReactivate(
      "The host files have been repaired. Windows had not yet read them: the page may load "
      "once it has, in a few minutes.");
}

std::string BlockedByTheNetwork(const std::string& host, const std::string& address, bool named) {
  return WithReactivate(
      "The network blocks " + host + ": its name server answers " + address +
      " for it, as a blocking list does, so the page cannot load on this network.\r\n\r\n" +
      (named ? "The host files have been repaired where they named it."
             : "No line of the host files named it, so they were left as they were.") +
      " Ask whoever runs the network (a router, a blocking program or your company) to allow " +
      host + ".");
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

}  // namespace veltrim::hostfix
