#pragma once

#include <lzma.h>
#include <zlib.h>

#include <limits>
#include <string>
#include <vector>

#include "TempDir.h"
#include "guide/GuideImport.h"
#include "guide/GuideStore.h"

namespace quorvel::guide::test {

// 2026-12-08 12:00:00 UTC: the guides below lie around it.
constexpr GuideTime kNow = 1796731200;

// One of each awkward case; the expected rows are in GuideRulesTest.
inline const char* const kRulesGuide = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE tv SYSTEM "xmltv.dtd">
<tv generator-info-name="test">
  <channel id="one.example"><display-name lang="en">One HD</display-name><display-name>Eins</display-name></channel>
  <channel id="One.example"><display-name>Other</display-name></channel>
  <channel id="two.example"><display-name>Tv&#229;_Kanal</display-name></channel>
  <programme start="20261208083000 -0130" stop="20261208110000 +0000" channel="one.example">
    <title>Zone with space</title><category>News</category><category>Local</category>
  </programme>
  <programme start="20261208120000+0100" stop="20261208123000+0100" channel="one.example">
    <title>Zone without space</title><sub-title>  Part
	two  </sub-title>
  </programme>
  <programme start="202612081130" stop="202612081200" channel="one.example">
    <title>Tom &amp; Jerry &lt;3&gt; &#233;t&#xE9;</title>
  </programme>
  <programme start="20261208120000" channel="one.example">
    <title><![CDATA[News <live> & more]]></title>
  </programme>
  <programme start="20261208130000" stop="20261208140000" channel="one.example">
    <title lang="de">Film</title><title lang="en-GB">Movie</title><title lang="en">Second</title>
    <desc>  a
	b   c  </desc>
  </programme>
  <programme start="20261208133000" stop="20261208150000" channel="one.example">
    <title>Overlap</title>
  </programme>
  <programme start="20261208133000" stop="20261208143000" channel="one.example">
    <title>Tie later</title>
  </programme>
  <programme start="20261208150000 GMT" stop="20261208160000" channel="one.example"><title>Bad zone</title></programme>
  <programme start="20261208150000" stop="2026120816000" channel="one.example"><title>Bad stop</title></programme>
  <programme start="20261232150000" stop="20261233160000" channel="one.example"><title>Bad day</title></programme>
  <programme start="20261208160000" stop="20261208160000" channel="one.example"><title>Empty</title></programme>
  <programme start="20261130000000" stop="20261130010000" channel="one.example"><title>Too old</title></programme>
  <programme start="20261208170000" channel="one.example"><title>Last without stop</title></programme>
  <programme start="20261208100000" stop="20261208110000" channel="One.example"><title>Capital</title></programme>
  <programme start="20261209" stop="20261210" channel="two.example"><title>Whole day</title></programme>
  <programme start="20261223000000" stop="20261223010000" channel="two.example"><title>Too far</title></programme>
  <programme start="20261208100000" stop="20261208110000" channel="ghost.example"><title>Ghost</title></programme>
  <programme start="20261210000000" stop="20261210010000" channel="two.example"><title>Onscreen</title>
    <episode-num system="xmltv_ns">1.2.</episode-num><episode-num system="onscreen"> S02E05 </episode-num>
    <rating system="FSK"><value>12</value></rating><rating system="MPAA"><value>PG</value></rating>
  </programme>
  <programme start="20261210010000" stop="20261210020000" channel="two.example"><title>Numbered</title>
    <episode-num system="dd_progid">EP1.2</episode-num><episode-num system="xmltv_ns">2.4.0/1</episode-num>
    <rating><icon src="x.png"/><value>PG</value></rating>
  </programme>
  <programme start="20261210020000" stop="20261210030000" channel="two.example"><title>Malformed</title>
    <episode-num system="xmltv_ns">2.x.0</episode-num><episode-num system="xmltv_ns">1.2.3.4</episode-num>
  </programme>
  <programme start="20261210030000" stop="20261210040000" channel="two.example"><title>Totals</title>
    <episode-num system="xmltv_ns"> 0 / 2 . 9 / 10 . </episode-num><episode-num>1x10</episode-num>
  </programme>
  <programme start="20261210040000" stop="20261210050000" channel="two.example"><title>Other</title>
    <episode-num system="dd_progid">EP1.2</episode-num><episode-num system="xmltv_ns">..</episode-num>
  </programme>
</tv>
)";

inline std::string Gzip(const std::string& plain) {
    z_stream z{};
    deflateInit2(&z, Z_BEST_SPEED, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&z, plain.size()) + 64, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(plain.data()));
    z.avail_in = static_cast<uInt>(plain.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

inline std::string Xz(const std::string& plain) {
    std::string out(lzma_stream_buffer_bound(plain.size()), '\0');
    std::size_t size = 0;
    lzma_easy_buffer_encode(1, LZMA_CHECK_CRC64, nullptr,
                            reinterpret_cast<const uint8_t*>(plain.data()), plain.size(),
                            reinterpret_cast<uint8_t*>(out.data()), &size, out.size());
    out.resize(size);
    return out;
}

inline std::unique_ptr<GuideStore> OpenStore(const quorvel::test::TempDir& dir) {
    std::string error;
    return GuideStore::Open(dir / "cache" / "guide.sqlite", error);
}

inline ImportOptions Options() {
    ImportOptions options;
    options.now = kNow;
    options.language = "en";
    return options;
}

// Every programme the store holds for the channels, one line each:
// "channel start stop title|sub-title|description|category", then "|episode|rating" when the
// programme has either.
inline std::vector<std::string> Table(GuideStore& store, const std::vector<std::string>& ids) {
    std::vector<std::string> rows;
    constexpr GuideTime kFar = std::numeric_limits<GuideTime>::max() / 4;
    for (const auto& id : ids) {
        for (const auto& p : store.Programmes(id, -kFar, kFar)) {
            rows.push_back(id + " " + FormatGuideTime(p.start).substr(0, 14) + " " +
                           FormatGuideTime(p.stop).substr(0, 14) + " " + p.texts[kTitle] + "|" +
                           p.texts[kSubTitle] + "|" + p.texts[kDescription] + "|" +
                           p.texts[kCategory] +
                           (p.texts[kEpisode].empty() && p.texts[kRating].empty()
                                ? std::string()
                                : "|" + p.texts[kEpisode] + "|" + p.texts[kRating]));
        }
    }
    return rows;
}

}  // namespace quorvel::guide::test
