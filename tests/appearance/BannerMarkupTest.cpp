#include "appearance/BannerMarkup.h"

#include <gtest/gtest.h>

#include <string>

namespace quorvel {
namespace {

std::string Repeat(std::string_view piece, std::size_t times) {
    std::string text;
    for (std::size_t i = 0; i < times; ++i)
        text += piece;
    return text;
}

TEST(BannerMarkup, KeepsTextWebLinksEmphasisAndBreaksAndNothingElse) {
    const std::string page =
        "<!DOCTYPE html><html><head><title>Ads</title><style>p{}</style>"
        "<script>document.write('<b>x</b>')</script></head>"
        "<body bgcolor=red><h1 style=\"x\">Tom &amp; Jerry&nbsp;&#x263A;&bogus; 1 < 2</h1>"
        "<p>See <A HREF=' HTTP://a.example/?q=1&amp;r=&quot;2 '>the <B>news</B></a>"
        "<a href=\"javascript:alert(1)\">script</a><a href=file:///etc/passwd>file</a>"
        "<img src=\"/dev/zero\" width=99999 height=99999><!-- <b>hidden</b> -->"
        "<table><tr><td>cell</td></tr></table><font color=red><i>end</i></font>";
    EXPECT_EQ(BannerMarkup(page),
              "Tom &amp; Jerry\u00A0\u263A&amp;bogus; 1 &lt; 2<br><br>See "
              "<a href=\"http://a.example/?q=1&amp;r=&quot;2\">the <b>news</b></a>scriptfile"
              "<br><br>cell<br><br><i>end</i>");
}

TEST(BannerMarkup, NestingSizeAndUnendedConstructsAreBounded) {
    // Deep emphasis keeps its first levels; every element opened is closed.
    const std::string deep = BannerMarkup(Repeat("<b><i>", 500) + "x");
    EXPECT_EQ(deep,
              Repeat("<b><i>", kBannerNesting / 2) + "x" + Repeat("</i></b>", kBannerNesting / 2));

    // A page far over the size is cut, whole characters and all its end tags kept.
    const std::string cut = BannerMarkup("<a href=http://a/><u>" + Repeat("\u00E9", 300'000));
    EXPECT_LE(cut.size(), kBannerMarkupBytes);
    EXPECT_EQ(cut.substr(cut.size() - 10), "\u00E9</u></a>");

    // A tag, comment or script the page never ends ends the page.
    for (const char* end : {"<a href=\"http://a/", "<!-- <b>", "<script>x", "<b title='x>"})
        EXPECT_EQ(BannerMarkup(std::string("text") + end + Repeat("<<<<b>", 10'000)), "text")
            << end;
}

}  // namespace
}  // namespace quorvel
