#include "Address.h"

#include <gtest/gtest.h>

namespace veltrim::hostfix {
namespace {

struct AddressCase {
  std::string typed;  // UTF-8
  std::string host;   // empty: refused
  std::string browser = "as typed";
};

void PrintTo(const AddressCase& c, std::ostream* os) { *os << '"' << c.typed << '"'; }

class Reduce : public ::testing::TestWithParam<AddressCase> {};

TEST_P(Reduce, GivesTheHostNameAndThePageToOpen) {
  const AddressCase& c = GetParam();
  std::string address = c.typed;
  EXPECT_EQ(ExtractDomain(address), c.host);
  EXPECT_EQ(address, c.host);
  EXPECT_EQ(AddressForBrowser(c.typed), c.browser == "as typed" ? c.typed : c.browser);
}

INSTANTIATE_TEST_SUITE_P(
    ExtractDomain, Reduce,
    ::testing::Values(
        AddressCase{"http://www.example.com/index.html", "example.com"},
        AddressCase{"www.example.com", "example.com"},
        AddressCase{"example.com/a/b", "example.com"},
        AddressCase{"http://www.www.example.com", "www.example.com"},
        AddressCase{"http://example.com/www.page.html", "example.com"},
        AddressCase{"mail.www.example.com", "mail.www.example.com"},
        // What browsers show and people paste today.
        AddressCase{"https://www.example.com/page", "example.com"},
        AddressCase{"HTTP://WWW.EXAMPLE.COM/", "EXAMPLE.COM"},
        AddressCase{"Ftp://Example.com", "Example.com"},
        AddressCase{"z39.50s://www.example.com", "example.com"},
        AddressCase{"Z39.50S://www.example.com", "example.com"},
        AddressCase{"http://example.com:8080/", "example.com"},
        AddressCase{"https://user:pa:ss@www.example.com:8443/", "example.com"},
        AddressCase{"example.com?q=a/b@c", "example.com"},
        AddressCase{"example.com#top", "example.com"},
        AddressCase{"example.com\\path", "example.com"},
        AddressCase{"www.example.com.", "example.com"}, AddressCase{"www.com", "www.com"},
        AddressCase{"localhost:3000", "localhost"},
        // Pasted after the box's own "http://", or with blanks and line breaks around it.
        AddressCase{"http://https://www.example.com/a", "example.com", "https://www.example.com/a"},
        AddressCase{"http://HTTPS://x.example/", "x.example", "HTTPS://x.example/"},
        AddressCase{" \t http://www.example.com/ \r\n", "example.com", "http://www.example.com/"},
        AddressCase{"\r\nexample.com\n", "example.com", "example.com"},
        AddressCase{"http://www.example.com/https://x", "example.com"},
        // Other alphabets, in the ASCII form that host files and the resolver use; the browser
        // gets the name as typed.
        AddressCase{"https://\xD0\xBF\xD1\x80\xD0\xB8\xD0\xBC\xD0\xB5\xD1\x80.\xD1\x80\xD1\x84/",
                    "xn--e1afmkfd.xn--p1ai"},
        AddressCase{"\xD0\x9F\xD0\xA0\xD0\x98\xD0\x9C\xD0\x95\xD0\xA0.\xD0\xA0\xD0\xA4",
                    "xn--e1afmkfd.xn--p1ai"},
        AddressCase{"http://www.\xE4\xBE\x8B\xE5\xAD\x90.\xE4\xB8\xAD\xE5\x9B\xBD/",
                    "xn--fsqu00a.xn--fiqs8s"},
        AddressCase{"b\xC3\xBC"
                    "cher.de/katalog",
                    "xn--bcher-kva.de"},
        // No host name: nothing could be repaired, and everything might be.
        AddressCase{"http://", ""}, AddressCase{"http:///a", ""}, AddressCase{"", ""},
        AddressCase{" \r\n ", "", ""}, AddressCase{"http://  /x", ""},
        AddressCase{"http://exa mple.com/", ""}, AddressCase{"http://:8080/", ""},
        AddressCase{"https://user@/", ""}, AddressCase{"\x80.example", ""},
        // An IP address names no host.
        AddressCase{"http://127.0.0.1/", ""}, AddressCase{"10.0.0.1:80", ""},
        AddressCase{"http://127.1", ""}, AddressCase{"0x7f000001", ""}, AddressCase{"0xg", "0xg"},
        AddressCase{"https://[::1]:8080/", ""}, AddressCase{"[2001:db8::1]", ""}));

}  // namespace
}  // namespace veltrim::hostfix
