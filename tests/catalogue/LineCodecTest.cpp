#include "catalogue/LineCodec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace quorvel {
namespace {

// The rule written out byte by byte, to hold the vectorised codec against.
unsigned char ReferenceEncode(unsigned char a) {
    int c = a + 64;
    if (c > 255)
        c -= 255;
    return static_cast<unsigned char>(c);
}

unsigned char ReferenceDecode(unsigned char a) {
    int c = a - 64;
    if (c < 0)
        c += 255;
    return static_cast<unsigned char>(c);
}

std::string AllBytesRepeated(std::size_t size, std::size_t shift) {
    std::string text(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        text[i] = static_cast<char>((i + shift) * 37 % 256);
    return text;
}

TEST(LineCodecTest, EveryByteFollowsTheWrapBy255) {
    for (int a = 0; a < 256; ++a) {
        const std::string plain(1, static_cast<char>(a));
        EXPECT_EQ(static_cast<unsigned char>(EncodeLine(plain)[0]), ReferenceEncode(a)) << a;
        EXPECT_EQ(static_cast<unsigned char>(DecodeLine(plain)[0]), ReferenceDecode(a)) << a;
    }
    EXPECT_EQ(EncodeLine("|/"), "\xBC\x6F");    // separators stored as 188 and 111
    EXPECT_EQ(EncodeLine("\xCC\xC9"), "\r\n");  // why 204 and 201 cannot be stored
    // 255 encodes like 0 and comes back as 0; nothing encodes to 0.
    EXPECT_EQ(EncodeLine(std::string_view("\xFF\0", 2)), "@@");
    EXPECT_EQ(DecodeLine("@"), std::string(1, '\0'));
    for (int a = 0; a < 256; ++a)
        EXPECT_NE(EncodeByte(static_cast<unsigned char>(a)), 0);
}

TEST(LineCodecTest, LongAndOddSizedLinesMatchTheRuleAndRoundTrip) {
    // Every length around the 16-byte steps, every alignment, and lines far beyond the
    // 32,767 characters an older codec stopped at.
    for (std::size_t size : {0u, 1u, 15u, 16u, 17u, 31u, 33u, 32767u, 32768u, 3u << 20}) {
        for (std::size_t shift : {0u, 5u}) {
            std::string plain = AllBytesRepeated(size, shift);
            for (auto& c : plain) {
                if (static_cast<unsigned char>(c) == 255)
                    c = 'x';
            }
            const std::string encoded = EncodeLine(plain);
            std::string expected = plain;
            for (auto& c : expected)
                c = static_cast<char>(ReferenceEncode(static_cast<unsigned char>(c)));
            ASSERT_EQ(encoded.size(), expected.size());
            // The first difference only: a whole line of megabytes says nothing more.
            const auto differ = std::mismatch(encoded.begin(), encoded.end(), expected.begin());
            ASSERT_TRUE(differ.first == encoded.end())
                << "size " << size << " at " << (differ.first - encoded.begin());
            EXPECT_EQ(DecodeLine(encoded), plain) << size;
            std::string inPlace = encoded;
            DecodeLineInPlace(inPlace);
            EXPECT_EQ(inPlace, plain) << size;
            EncodeLineInPlace(inPlace);
            EXPECT_EQ(inPlace, encoded) << size;
        }
    }
}

}  // namespace
}  // namespace quorvel
