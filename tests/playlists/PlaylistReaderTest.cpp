#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "playlists/PlaylistListing.h"
#include "playlists/PlaylistReader.h"

namespace quorvel {
namespace {

// One listing line: the fields given, the rest of the 14 empty.
std::string Line(std::initializer_list<std::string> fields) {
    std::string line;
    std::size_t count = 0;
    for (const auto& field : fields) {
        if (count++ > 0)
            line.push_back('\t');
        line += field;
    }
    for (; count < 14; ++count)
        line.push_back('\t');
    return line + "\n";
}

struct Case {
    const char* rule;
    std::string name;
    std::string bytes;
    std::string listing;
};

TEST(PlaylistReaderTest, EachRuleOfWhatAChannelKeeps) {
    const std::string longName(1022, 'x');
    const Case cases[] = {
        {"header guides: both attributes, comma lists, each address once", "a.m3u",
         "#EXTM3U url-tvg=\"http://g/1.xml, http://g/2.xml\" "
         "X-TVG-URL=\"http://g/2.xml,http://g/3.xml.gz\"\n"
         "#EXTINF:-1,One\nhttp://s/1\n",
         "guide\thttp://g/1.xml\nguide\thttp://g/2.xml\nguide\thttp://g/3.xml.gz\n" +
             Line({"One", "http://s/1"})},
        {"every attribute, names in any letter case, every character of a name kept", "a.m3u",
         "#EXTM3U\n#EXTINF:-1 tvg-ID=\"k7\" TVG-NAME=\"Kanali 7\" tvg-logo=\"http://l/k.png\" "
         "tvg-language=\"Shqip\" tvg-country=\"AL\" tvg-shift=\"-2\" group-title=\"Lajme\" "
         "catchup=\"append\" catchup-source=\"?utc={utc}\" catchup-days=\"7\" timeshift=\"3\","
         "Kanali 7 \xE2\x93\x88\nhttp://s/k7\n",
         Line({"Kanali 7 \xE2\x93\x88", "http://s/k7", "Lajme", "k7", "Kanali 7", "http://l/k.png",
               "Shqip", "AL", "-2", "append", "?utc={utc}", "7"})},
        {"timeshift, then tvg-rec, stand in for catchup-days", "a.m3u",
         "#EXTINF:-1 timeshift=\"4\" tvg-rec=\"9\",A\nhttp://s/a\n"
         "#EXTINF:-1 tvg-rec=\"9\",B\nhttp://s/b\n",
         Line({"A", "http://s/a", "", "", "", "", "", "", "", "", "", "4"}) +
             Line({"B", "http://s/b", "", "", "", "", "", "", "", "", "", "9"})},
        {"group-title wins over #EXTGRP, which serves when it is absent", "a.m3u",
         "#EXTINF:-1 group-title=\"G1\",A\n#EXTGRP:G2\nhttp://s/a\n#EXTGRP:G3\n"
         "#EXTINF:-1,B\nhttp://s/b\n",
         Line({"A", "http://s/a", "G1"}) + Line({"B", "http://s/b", "G3"})},
        {"user-agent attribute; #EXTVLCOPT: last wins, quotes stripped, other options "
         "ignored; nothing carried to the next channel",
         "a.m3u",
         "#EXTINF:-1 user-agent=\"Attr/1\",A\n#EXTVLCOPT:http-user-agent=First/1\n"
         "#EXTVLCOPT:http-user-agent=\"Last/2 (X, Y)\"\n#EXTVLCOPT:http-referrer='http://r/'\n"
         "#EXTVLCOPT:network-caching=1000\nhttp://s/a\n"
         "#EXTINF:-1 USER-AGENT=\"Attr/3\",B\nhttp://s/b\n#EXTINF:-1,C\nhttp://s/c\n",
         Line({"A", "http://s/a", "", "", "", "", "", "", "", "", "", "", "Last/2 (X, Y)",
               "http://r/"}) +
             Line({"B", "http://s/b", "", "", "", "", "", "", "", "", "", "", "Attr/3"}) +
             Line({"C", "http://s/c"})},
        {"address suffix split off, decoded, wins over #EXTVLCOPT; hundreds of other options",
         "a.m3u",
         "#EXTINF:-1,A\n#EXTVLCOPT:http-user-agent=Opt\nhttp://s/a?x=1|User-Agent=Suf%2F1&" +
             [] {
                 std::string many;
                 for (int i = 0; i < 500; ++i)
                     many += "X-Opt" + std::to_string(i) + "=v&";
                 return many;
             }() +
             "referer=http://r/\n",
         Line({"A", "http://s/a?x=1", "", "", "", "", "", "", "", "", "", "", "Suf/1",
               "http://r/"})},
        {"a user agent or referrer with CR, LF or another control character is refused", "a.m3u",
         "#EXTINF:-1,A\nhttp://s/a|User-Agent=X%0D%0AHost: evil&Referer=http://r/%0A\n"
         "#EXTINF:-1,B\n#EXTVLCOPT:http-user-agent=Tab\there\nhttp://s/b\n",
         Line({"A", "http://s/a"}) + Line({"B", "http://s/b"})},
        {"TAB in a value written as a space; name from tvg-name, else the address", "a.m3u",
         "#EXTINF:-1 tvg-name=\"T\tN\",\nhttp://s/a\nhttp://s/plain\n",
         Line({"T N", "http://s/a", "", "", "T N"}) + Line({"http://s/plain", "http://s/plain"})},
        {"a name is cut at 1024 bytes, never inside a character", "a.m3u",
         "#EXTINF:-1," + longName + "\xC3\xA9\xC3\xA9\nhttp://s/a\n",
         Line({longName + "\xC3\xA9", "http://s/a"})},
        {"PLS: titles and files matched by number in any order; a title without a file left "
         "out",
         "x.pls",
         "[playlist]\nTitle2=Two\nFile1=http://s/1\nfile2=http://s/2|User-Agent=P\nTitle9=None\n"
         "NumberOfEntries=2\n",
         Line({"http://s/1", "http://s/1"}) +
             Line({"Two", "http://s/2", "", "", "", "", "", "", "", "", "", "", "P"})},
        {"a plain list named .m3u8", "list.m3u8", "# comment\nhttp://s/1\n",
         Line({"http://s/1", "http://s/1"})},
        {"a web page under a playlist's name is not one", "a.m3u",
         "<html><body>http://s/1</body></html>\n", ""},
    };
    for (const Case& c : cases) {
        const Playlist playlist = ReadPlaylist(c.bytes, c.name);
        EXPECT_EQ(ListPlaylist(playlist), c.listing) << c.rule;
    }
    EXPECT_EQ(ReadPlaylist("<html>", "a.m3u").kind, PlaylistKind::NotAPlaylist);
    EXPECT_EQ(
        ReadPlaylist("#EXTM3U\n#PLAYLIST: Meine Sender \xE2\x93\x88\n#PLAYLIST:Second\n", "a.m3u")
            .title,
        "Meine Sender \xE2\x93\x88");
    EXPECT_EQ(ReadPlaylist(cases[6].bytes, "a.m3u").refusedHeaders, 3u);
}

TEST(PlaylistReaderTest, ReadsUpToTheEntryCapAndSaysSo) {
    for (const std::size_t count : {kMaxPlaylistChannels, kMaxPlaylistChannels + 1}) {
        std::string bytes = "#EXTM3U\n";
        for (std::size_t i = 0; i < count; ++i)
            bytes += "#EXTINF:-1,C\nhttp://s/" + std::to_string(i) + "\n";
        const Playlist playlist = ReadPlaylist(bytes, "a.m3u");
        EXPECT_EQ(playlist.channels.size(), kMaxPlaylistChannels);
        EXPECT_EQ(playlist.tooManyEntries, count > kMaxPlaylistChannels);
        EXPECT_EQ(playlist.channels.back().address,
                  "http://s/" + std::to_string(kMaxPlaylistChannels - 1));
    }
}

}  // namespace
}  // namespace quorvel
