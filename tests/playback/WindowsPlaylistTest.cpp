#include "playback/WindowsPlaylist.h"
#include "playback/XmlTagScanner.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

using Entries = std::vector<std::string>;

TEST(WindowsPlaylist, RecognizesFormatsByContentNotByName) {
    EXPECT_EQ(DetectPlaylistFormat("\xEF\xBB\xBF  <ASX version=\"3.0\">"), PlaylistFormat::Asx);
    EXPECT_EQ(DetectPlaylistFormat("<?xml version=\"1.0\"?>\n<asx>"), PlaylistFormat::Asx);
    EXPECT_EQ(DetectPlaylistFormat("<?wpl version=\"1.0\"?><smil>"), PlaylistFormat::Wpl);
    EXPECT_EQ(DetectPlaylistFormat("\r\n[REFERENCE]\r\nRef1=http://x"), PlaylistFormat::Reference);
    EXPECT_EQ(DetectPlaylistFormat("#EXTM3U\nhttp://x"), PlaylistFormat::NotAPlaylist);
    EXPECT_EQ(DetectPlaylistFormat("<html><body>asx</body></html>"), PlaylistFormat::NotAPlaylist);
    EXPECT_EQ(DetectPlaylistFormat(std::string("\x30\x26\xB2\x75\x8E\x66", 6)),
              PlaylistFormat::NotAPlaylist);
    EXPECT_EQ(DetectPlaylistFormat(""), PlaylistFormat::NotAPlaylist);

    EXPECT_TRUE(HasWindowsPlaylistExtension("http://x/live.ASX?id=3#top"));
    EXPECT_TRUE(HasWindowsPlaylistExtension("/home/u/list.wpl"));
    EXPECT_TRUE(HasWindowsPlaylistExtension("/a.wax"));
    EXPECT_TRUE(HasWindowsPlaylistExtension("/a.WVX"));
    EXPECT_FALSE(HasWindowsPlaylistExtension("http://x/play?file=a.asx.mp3"));
    EXPECT_FALSE(HasWindowsPlaylistExtension("/home/u/a.asf"));
}

TEST(WindowsPlaylist, AsxEntriesInOrderWithHandWrittenMarkup) {
    const char* asx =
        "<ASX version=\"3.0\">\r\n"
        "<!-- <ref href=\"http://commented/out\"/> -->\r\n"
        "<Title>Radio &amp; more</Title>\r\n"
        "<Entry><Ref href = \"mms://a.example/live?x=1&amp;y=2\" /><REF HREF='http://b/&#65;'/>"
        "</Entry>\r\n"
        "<entry><ref href=http://c/unquoted></entry>\r\n"
        "<EntryRef HREF=\"http://d/more.asx\"/>\r\n"
        "<entry><ref href=\"http://e/raw&x=1\"/><ref href=\"  \"/></entry>\r\n"
        "<entry><ref href=\"http://cut";
    EXPECT_EQ(ReadPlaylistEntries(asx),
              (Entries{"mms://a.example/live?x=1&y=2", "http://b/A", "http://c/unquoted",
                       "http://d/more.asx", "http://e/raw&x=1"}));
}

TEST(WindowsPlaylist, WplAndReferenceEntries) {
    const char* wpl =
        "<?wpl version=\"1.0\"?><smil><head><meta name=\"Generator\"/></head><body><seq>"
        "<media src=\"..\\Music\\One.wma\" tid=\"{1}\"/><media src=\"Two &amp; Three.mp3\"/>"
        "</seq></body></smil>";
    EXPECT_EQ(ReadPlaylistEntries(wpl), (Entries{"..\\Music\\One.wma", "Two & Three.mp3"}));

    const char* reference =
        "[Reference]\r\nRef1=http://srv/live?MSWMExt=.asf\r\nref2 = mms://srv/live \r\n"
        "Ref=not-numbered\r\nRefX=no\nBandwidth=300\nRef3=";
    EXPECT_EQ(ReadPlaylistEntries(reference),
              (Entries{"http://srv/live?MSWMExt=.asf", "mms://srv/live"}));
    EXPECT_TRUE(ReadPlaylistEntries("#EXTM3U\nhttp://x\n").empty());
}

TEST(WindowsPlaylist, EntriesResolveAgainstThePlaylistsAddress) {
    EXPECT_EQ(ResolvePlaylistEntry("http://h:8/dir/list.asx?q=1", "a.wma"), "http://h:8/dir/a.wma");
    EXPECT_EQ(ResolvePlaylistEntry("http://h:8/dir/list.asx", "/top.wma"), "http://h:8/top.wma");
    EXPECT_EQ(ResolvePlaylistEntry("https://h/dir/list.asx", "//cdn/x.wma"), "https://cdn/x.wma");
    EXPECT_EQ(ResolvePlaylistEntry("http://h", "x.wma"), "http://h/x.wma");
    EXPECT_EQ(ResolvePlaylistEntry("http://h/list.asx", "MMS://other/x"), "MMS://other/x");
    EXPECT_EQ(ResolvePlaylistEntry("/home/u/lists/a.wpl", "..\\Music\\One.wma"),
              "/home/u/lists/../Music/One.wma");
    EXPECT_EQ(ResolvePlaylistEntry("/home/u/a.wpl", "/srv/b.mp3"), "/srv/b.mp3");
    EXPECT_EQ(ResolvePlaylistEntry("/home/u/a.wpl", "C:\\Music\\b.mp3"), "C:/Music/b.mp3");
}

TEST(WindowsPlaylist, FirstPlayableEntrySkipsWhatTheOriginMayNotOpen) {
    const std::string asx =
        "<asx><entry><ref href=\"file:///etc/passwd\"/><ref href=\"/home/u/a.mp3\"/>"
        "<ref href=\"av://lavfi:sine\"/><ref href=\"C:\\x.wma\"/><ref href=\"b.mp3\"/>"
        "</entry></asx>";
    // On a server, "/home/u/a.mp3" is a path of that server, never a local file.
    EXPECT_EQ(FirstPlayableEntry(asx, "http://h/d/list.asx"), "http://h/home/u/a.mp3");
    EXPECT_EQ(FirstPlayableEntry(asx, "/home/u/list.asx"), "/home/u/a.mp3");
    const std::string onlyLocal =
        "<asx><entry><ref href=\"file:///etc/x\"/><ref href=\"C:\\x.wma\"/></entry></asx>";
    EXPECT_EQ(FirstPlayableEntry(onlyLocal, "http://h/l.asx"), std::nullopt);
    EXPECT_EQ(FirstPlayableEntry("<asx></asx>", "/l.asx"), std::nullopt);
}

TEST(XmlTagScanner, EntitiesAndBrokenInputNeverOverrun) {
    EXPECT_EQ(DecodeXmlEntities("a&amp;b&lt;&GT;&quot;&apos;&#x20AC;&#233;&bogus;&#0;&"),
              "a&b<>\"'\xE2\x82\xAC\xC3\xA9&bogus;&#0;&");
    // A run of "&" before a reference: each is looked at once, the reference still counts.
    EXPECT_EQ(DecodeXmlEntities(std::string(20, '&') + "amp;x&" + std::string(11, 'a') + ";"),
              std::string(20, '&') + "x&" + std::string(11, 'a') + ";");
    int tags = 0;
    for (const char* text : {"<", "<a", "<a href", "<a href=", "<a href='x", "<!--", "<a =x>",
                             "<<<>>>", "<a b=\"1\" c d=e/>"}) {
        ForEachXmlTag(text, [&](const XmlTag&) { ++tags; });
    }
    EXPECT_EQ(tags, 2);  // only the complete tags "<a =x>" and "<a b=... />"
}

}  // namespace
}  // namespace quorvel
