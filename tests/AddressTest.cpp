#include "Address.h"

#include <gtest/gtest.h>

namespace veltrim::hostfix {
namespace {

struct AddressCase {
  std::string typed;
  std::string host;
};

void PrintTo(const AddressCase& c, std::ostream* os) { *os << '"' << c.typed << '"'; }

class Reduce : public ::testing::TestWithParam<AddressCase> {};

TEST_P(Reduce, GivesTheHostNameInPlaceAndAsResult) {
  std::string address = GetParam().typed;
  std::string result = ExtractDomain(address);
  EXPECT_EQ(result, GetParam().host);
  EXPECT_EQ(address, GetParam().host);
}

INSTANTIATE_TEST_SUITE_P(
    ExtractDomain, Reduce,
    ::testing::Values(AddressCase{"http://www.example.com/index.html", "example.com"},
                      AddressCase{"www.example.com", "example.com"},
                      AddressCase{"example.com/a/b", "example.com"},
                      AddressCase{"http://example.com:8080/", "example.com:8080"},
                      AddressCase{"http://www.www.example.com", "www.example.com"},
                      AddressCase{"http://example.com/www.page.html", "example.com"},
                      AddressCase{"mail.www.example.com", "mail.www.example.com"},
                      AddressCase{"HTTP://WWW.EXAMPLE.COM/", "HTTP:"},
                      AddressCase{"https://www.example.com/", "https:"},
                      AddressCase{"http:///a", ""}, AddressCase{"", ""},
                      AddressCase{" http://x y/", " http:"}));

}  // namespace
}  // namespace veltrim::hostfix
