#include "catalogue/ChannelListing.h"

#include <gtest/gtest.h>

#include "CatalogueTestFiles.h"
#include "catalogue/LineCodec.h"
#include "files/Windows1252.h"

namespace quorvel {
namespace {

// Rows of every length up to 150 bytes, across the 64-byte steps, with an accent, a euro sign
// and a character the code page keeps for a C1 control at every place, between records of
// another category, lines that are no record and records with more than four fields. Both
// ways write each row of the category as its characters, up to a broken record.
TEST(ChannelListingTest, BothWaysWriteEveryRowAsItsCharactersUpToABrokenRecord) {
    std::string bytes;
    std::string expected;
    for (std::size_t size = 1; size <= 150; ++size) {
        std::string name(size, 'n');
        name[size / 2] = '\xE9';
        name[(size * 7) % size] = '\x80';
        name[size - 1] = '\x9D';
        const std::string url = "http://s" + std::to_string(size) + std::string(size % 70, 'u');
        const std::string type = size % 3 ? "Fran\xE7"
                                            "ais"
                                          : "English";
        const std::string extra = size % 5 ? "" : "|extra|\xE9";
        bytes += EncodeLine(name + "|" + url + "|TV|" + type + extra) + "\r\n";
        bytes += EncodeLine("other|" + url + "|Radio|x") + (size % 2 ? "\r" : "\r\n");
        bytes += EncodeLine("no record here") + "\r\n";
        expected += Windows1252ToUtf8(name + "\t" + url + "\tTV\t" + type) + "\n";
    }
    bytes += EncodeLine("broken|http://b|TV") + "\r\n" + EncodeLine("after|u|TV|x") + "\r\n";
    test::TempDir dir;
    const auto file = dir.Write("Data.txt", bytes);

    for (const RecordScan scan : {RecordScan::Fastest, RecordScan::Portable}) {
        std::string listed;
        const ListingResult result = WriteListedChannels(
            file, BrowsingState{"TV", "", false},
            [&](std::string_view piece) {
                listed.append(piece);
                return true;
            },
            scan);
        EXPECT_FALSE(result.loaded);
        EXPECT_TRUE(result.written);
        EXPECT_EQ(listed, expected);
    }
}

}  // namespace
}  // namespace quorvel
