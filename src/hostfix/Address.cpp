#include "Address.h"

namespace veltrim::hostfix {

namespace {

void RemovePrefix(std::string& text, const std::string& prefix) {
  if (text.compare(0, prefix.size(), prefix) == 0) text.erase(0, prefix.size());
}

}  // namespace

std::string ExtractDomain(std::string& Address) {
  RemovePrefix(Address, "http://");
  RemovePrefix(Address, "www.");
  std::string::size_type slash = Address.find('/');
  if (slash != std::string::npos) Address.erase(slash);
  return Address;
}

}  // namespace veltrim::hostfix
