#include <gtest/gtest.h>

#include "BlockList.h"
#include "BlockingLines.h"
#include "PageMarkup.h"

namespace veltrim::hostfix {
namespace {

struct NeededCase {
  std::string markup;
  std::string hosts;  // comma-separated, in order
};

const std::string kHundredThousandOpenings(100'000, '<');

std::string ManyAttributes() {
  std::string tag = "<img src=//many.test";
  for (int i = 0; i < 3000; ++i) tag += " a" + std::to_string(i % 1500) + "=x";
  return tag + " src=//second.test>";
}

// The tokenizer's states themselves are html5lib-tests' to prove (tests/html5lib.py); these
// are what the page needs of them, read as the browser reads a document.
TEST(NeededHosts, AreWhatThePageLoadsByItself) {
  const NeededCase cases[] = {
      {"<script src='https://cdn.test/a.js'></script><img src=//img.test/a.png>",
       "cdn.test,img.test"},
      {"<link rel=stylesheet href=//css.test><link rel='Shortcut ICON' href=//icon.test>"
       "<link rel=preconnect href=https://pc.test><link rel=' dns-prefetch ' href=//dns.test>"
       "<link rel=preload href=//pre.test><link rel=modulepreload href=//mod.test>"
       "<link rel=alternate href=//alt.test><link href=//norel.test>",
       "css.test,icon.test,pc.test,dns.test,pre.test,mod.test"},
      {"<img srcset='https://s1.test/a.png 1x, //s2.test/b.png 2x,//s3.test/c,,, //s4.test/d "
       "(x, //no.test) 3x'><source srcset=//s5.test src=//s6.test>",
       "s1.test,s2.test,s3.test,s4.test,s5.test,s6.test"},
      {"<iframe src=//if.test><img src=//inside.test></iframe><frame src=//fr.test>"
       "<video src=//v.test poster=//poster.test><audio src=//au.test><embed src=//em.test>"
       "<object data=//ob.test><form action=//form.test>",
       "if.test,fr.test,v.test,poster.test,au.test,em.test,ob.test,form.test"},
      {"<meta http-equiv=Refresh content=\"0; URL='https://next.test/'\">"
       "<meta http-equiv=refresh content='5 , url = //r2.test'>"
       "<meta http-equiv=refresh content='url=//notime.test'><meta content='0;url=//noequiv.test'>",
       "next.test,r2.test"},
      // The first <base> alone sets what relative URLs are read against.
      {"<img src=a.png><base href='https://base.test/x/'><img src=b.png><base href=//two.test/>"
       "<img src=c.png><img src=https:d.png><img src=http:x.test>",
       "base.test,x.test"},
      {"<base href=//10.0.0.1/><img src=a.png><img src=//after.test>", "after.test"},
      // Text that only looks like a tag.
      {"<!-- <img src=//comment.test> --><!--><img src=//c1.test><!-- --!><img src=//c2.test>"
       "<!-- --!-><img src=//c3.test> --><!DOCTYPE html><![CDATA[<img src=//cdata.test>]]>",
       "c1.test,c2.test"},
      {"<script>document.write('<img src=//s.test>')</script ><script><!--<script></script>"
       "<img src=//hidden.test></script><img src=//shown.test><script><!--<script>--></script>"
       "<img src=//a.test><script><!-- <b> </script><img src=//b.test>",
       "shown.test,a.test,b.test"},
      {"<textarea><img src=//t.test></textarea><TITLE><img src=//t2.test></title x='>'>"
       "<style><img src=//st.test></STYLE><noscript><img src=//pixel.test></noscript>"
       "<xmp></xm><img src=//x.test></xmp><img src=//y.test>",
       "y.test"},
      {"<plaintext></plaintext><img src=//p.test>", ""},
      // Character references, unquoted values, letter case, blanks and slashes.
      {"<img src='https&colon;&sol;/ref&period;test/?a=1&amp;b'><img src=&#x2f;/num&#46;test>"
       "<IMG SRC=//UPPER.Test/x><img src=\"https://user:pw@port.test:8443/x\">"
       "<img src=' \n//sp\tace.test/ '><img src=\"https:\\\\back.test\\x\">"
       "<img src=http:///slashes.test><img src=\"//c\r\nr.test\">",
       "ref.test,num.test,upper.test,port.test,space.test,back.test,slashes.test,cr.test"},
      {"<img src=//first.test src=//second.test><img src=//FIRST.test./2>", "first.test"},
      // Nothing a host file line could keep away, and what is no load.
      {"<a href=//a.test><area href=//area.test><img src=//10.0.0.1/><img src=//[::1]/>"
       "<img src=http://localhost:8080/><img src=data:image/png;base64,AA><embed "
       "src=mailto:x@m.test>"
       "<iframe src=javascript:1></iframe><img src=ftp://ftp.test/><img src=//bad_name!.test>"
       "<img src=/own.png><img src=https://WWW.PAGE.TEST/b><img src=cdn.test:8080/x>",
       ""},
      {"<img src=//cut.test/x", ""},
      {"<img src=\"//cut.test\"", ""},
      // Hostile: none of it costs more than its length.
      {kHundredThousandOpenings + ManyAttributes() + "<img src=//end.test>", "many.test,end.test"},
  };
  const std::optional<PageAddress> page = ReadAddress("https://www.page.test/dir/x.html");
  for (const NeededCase& c : cases) {
    SCOPED_TRACE(c.markup.substr(0, 200));
    std::string hosts;
    for (const std::string& host : NeededHosts(c.markup, *page)) {
      hosts += (hosts.empty() ? "" : ",") + host;
    }
    EXPECT_EQ(hosts, c.hosts);
  }
}

TEST(FirstLinesNaming, IsTheFirstLineThatNamesTheHostItself) {
  const std::string file =
      "\xEF\xBB\xBF"
      "127.0.0.1 localhost\r\n"
      "0.0.0.0 cdn.test # tracker.test\r"
      "0.0.0.0\tsub.login.test\n"
      "# 0.0.0.0 login.test\n"
      "102.54.94.97 LOGIN.TEST. #PRE #DOM:networking\r\n"
      "0.0.0.0 cdn.test\n"
      "0.0.0.0 a.test  b.test";
  const std::vector<std::string> hosts = {"cdn.test", "login.test",    "tracker.test",
                                          "b.test",   "localhost",     "missing.test",
                                          "test",     "sub.login.test"};
  EXPECT_EQ(FirstLinesNaming(file, hosts), (std::vector<std::size_t>{2, 5, 0, 7, 1, 0, 0, 3}));
  EXPECT_EQ(FirstLinesNaming("\xFF\xFE" + file, hosts), std::vector<std::size_t>(8, 0));
}

TEST(FirstLinesNaming, FindsThousandsOfHostsInALongList) {
  constexpr int kLines = 170'000;
  const std::string list = blocklist::MakeBlockList(kLines).before;
  // Each host on its own line n + 1, away from the list's compressed and planted lines.
  std::vector<std::string> hosts = {"example.com", "missing.test"};
  std::vector<std::size_t> expected = {kLines / 8 + 1, 0};
  for (int n = 5; hosts.size() < 5000; n += 31) {
    if (n % 1000 >= 490 && n % 1000 <= 520) continue;
    if (n % (kLines / 8) <= 1) continue;
    hosts.push_back(blocklist::detail::Tracker(n));
    expected.push_back(n + 1);
  }
  EXPECT_EQ(FirstLinesNaming(list, hosts), expected);
}

}  // namespace
}  // namespace veltrim::hostfix
