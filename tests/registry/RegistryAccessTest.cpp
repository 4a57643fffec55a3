#include "ScopedHives.h"
#include "files/Utf8.h"
#include "files/Windows1252.h"
#include "registry/NameFold.h"
#include "registry/Registry.h"
#include "registry/clsRegistryAccess.h"

#include <gtest/gtest.h>
#include <locale.h>
#include <sqlite3.h>
#include <wctype.h>

namespace quorvel {
namespace {

using Names = std::vector<std::string>;
using Value = clsRegistryAccess::Value;

TEST(RegistryAccess, LongAndShortRootNamesAddressTheSameKeys) {
    test::ScopedHives hives;
    clsRegistryAccess reg;
    EXPECT_NE(reg.WriteString("hkcu\\Software\\T", "a", "1"), 0);
    EXPECT_EQ(reg.ReadString("HKEY_CURRENT_USER\\Software\\T", "a", "x"), "1");
    EXPECT_EQ(reg.ReadString("Hkey_Current_User\\software\\t", "A", "x"), "1");
    // The root alone is the root itself; only the first four characters name the root.
    EXPECT_TRUE(reg.KeyExists("HKCU"));
    EXPECT_TRUE(reg.KeyExists("hkey_local_machine"));
    EXPECT_EQ(reg.ReadString("HKCUX\\Software\\T", "a", "x"), "1");
    Names top;
    EXPECT_EQ(reg.EnumKeys("HKCU", top), 1);
    EXPECT_EQ(top, Names{"Software"});

    // Machine-wide roots live in the other file.
    EXPECT_NE(reg.WriteDWORD("HKLM\\SOFTWARE\\T", "n", 7), 0);
    EXPECT_EQ(reg.ReadDWORD("HKLM\\SOFTWARE\\T", "n", 0), 7);
    EXPECT_EQ(reg.ReadDWORD("HKCU\\SOFTWARE\\T", "n", -1), -1);
    EXPECT_TRUE(std::filesystem::exists(hives.MachineHive()));

    // A root that is not in the table fails everywhere.
    Names keys{"kept"};
    std::vector<std::string> names{"kept"};
    std::vector<Value> values{Value{}};
    EXPECT_FALSE(reg.KeyExists("HKXX\\Software"));
    EXPECT_EQ(reg.EnumKeys("HKXX\\Software", keys), -1);
    EXPECT_EQ(reg.EnumValues("HKEY\\Software", names, values), -1);
    EXPECT_EQ(names, Names{"kept"});
    EXPECT_EQ(reg.ReadString("HKXX\\Software\\T", "a", "dflt"), "dflt");
    EXPECT_EQ(reg.ReadDWORD("HKC\\Software\\T", "a", 9), 9);
    EXPECT_EQ(reg.WriteString("HKXX\\Software\\T", "a", "1"), 0);
    EXPECT_EQ(reg.CreateKey("Software\\T"), 0);
}

TEST(RegistryAccess, KeyNamesIgnoreCaseKeepTheirCaseAndListInNameOrder) {
    test::ScopedHives hives;
    clsRegistryAccess reg;
    for (const char* path : {"HKCU\\S\\beta", "HKCU\\S\\Alpha", "HKCU\\S\\BETA", "HKCU\\S\\École",
                             "HKCU\\S\\éCOLE", "HKCU\\S\\alpha\\Zed", "HKCU\\S\\gamma"}) {
        EXPECT_NE(reg.CreateKey(path), 0) << path;
    }
    Names keys;
    EXPECT_EQ(reg.EnumKeys("HKCU\\S", keys), 4);
    EXPECT_EQ(keys, (Names{"Alpha", "beta", "gamma", "École"}));
    EXPECT_TRUE(reg.HaveSubkey("HKCU\\S\\ALPHA"));
    EXPECT_FALSE(reg.HaveSubkey("HKCU\\S\\Beta"));
    EXPECT_FALSE(reg.HaveSubkey("HKCU\\S\\Missing"));
    EXPECT_EQ(reg.EnumKeys("HKCU\\S\\Missing", keys), -1);
    EXPECT_TRUE(keys.empty());

    // A key with sub-keys stays, though the call reports that the key could be opened.
    EXPECT_NE(reg.KillKey("HKCU\\S\\alpha"), 0);
    EXPECT_TRUE(reg.KeyExists("HKCU\\S\\Alpha"));
    EXPECT_NE(reg.KillKey("HKCU\\S\\alpha\\zed"), 0);
    EXPECT_NE(reg.KillKey("HKCU\\S\\alpha"), 0);
    EXPECT_FALSE(reg.KeyExists("HKCU\\S\\Alpha"));
    EXPECT_EQ(reg.KillKey("HKCU\\S\\alpha"), 0);
    // Roots are never deleted; malformed paths fail cleanly.
    EXPECT_NE(reg.KillKey("HKCU"), 0);
    EXPECT_TRUE(reg.KeyExists("HKCU\\S"));
    EXPECT_EQ(reg.CreateKey("HKCU\\S\\\\double"), 0);
    EXPECT_EQ(reg.CreateKey("HKCU\\S\\" + std::string(256, 'k')), 0);
    EXPECT_NE(reg.CreateKey("HKCU\\S\\" + std::string(255, 'k')), 0);
    // A value name holds 16383 characters.
    EXPECT_NE(reg.WriteString("HKCU\\S", std::string(16383, 'v'), "x"), 0);
    EXPECT_EQ(reg.WriteString("HKCU\\S", std::string(16384, 'v'), "x"), 0);
}

TEST(RegistryAccess, ValuesListInCreationOrderWithTheirTypeFilter) {
    test::ScopedHives hives;
    clsRegistryAccess reg;
    const std::string key = "HKCU\\Software\\V";
    reg.WriteString(key, "c", "text");
    reg.WriteDWORD(key, "A", -5);
    reg.WriteBinary(key, "b", "01 ff");
    reg.WriteString(key, "a", "again");  // overwrites A in its place, as a text now
    reg.WriteDWORD(key, "d", 42);
    reg::Hkey raw = reg::kNoKey;
    ASSERT_EQ(reg::Registry::Process().OpenKey(reg::kHkeyCurrentUser, "Software\\V",
                                               reg::Access::Write, raw),
              reg::kErrorSuccess);
    reg::Registry::Process().SetValue(raw, "  spaced  ", reg::kRegExpandSz,
                                      std::string("%X%\0", 4));
    reg::Registry::Process().CloseKey(raw);

    Names names;
    std::vector<Value> values;
    std::vector<std::uint32_t> types;
    EXPECT_EQ(reg.EnumValues(key, names, values, -1, &types), 5);
    EXPECT_EQ(names, (Names{"c", "A", "b", "d", "spaced"}));
    EXPECT_EQ(types, (std::vector<std::uint32_t>{1, 1, 3, 4, 2}));
    EXPECT_EQ(values[0], Value(std::string("text")));
    EXPECT_EQ(values[1], Value(std::string("again")));
    EXPECT_EQ(values[2], Value(std::string("01 FF")));
    EXPECT_EQ(values[3], Value(std::int32_t{42}));
    EXPECT_EQ(values[4], Value());

    EXPECT_EQ(reg.EnumValues(key, names, values, 4), 1);
    EXPECT_EQ(names, Names{"d"});
    EXPECT_EQ(reg.EnumValues(key, names, values, 7), 0);
    EXPECT_TRUE(names.empty());

    // Deleting and writing again puts the value last.
    EXPECT_NE(reg.KillValue(key, "C"), 0);
    EXPECT_FALSE(reg.ValueExists(key, "c"));
    EXPECT_NE(reg.KillValue(key, "never there"), 0);
    EXPECT_EQ(reg.KillValue("HKCU\\Software\\Missing", "c"), 0);
    reg.WriteString(key, "C", "back");
    reg.EnumValues(key, names, values);
    EXPECT_EQ(names.back(), "C");
}

TEST(RegistryAccess, WritesCreateMissingKeysOnlyWhenAllowed) {
    test::ScopedHives hives;
    clsRegistryAccess reg;
    EXPECT_TRUE(reg.CreateKeyIfDoesntExists());
    reg.CreateKeyIfDoesntExists(false);
    EXPECT_EQ(reg.WriteString("HKCU\\Software\\New", "a", "1"), 0);
    EXPECT_EQ(reg.WriteDWORD("HKCU\\Software\\New", "a", 1), 0);
    EXPECT_EQ(reg.WriteBinary("HKCU\\Software\\New", "a", "01"), 0);
    EXPECT_FALSE(reg.KeyExists("HKCU\\Software\\New"));
    reg.CreateKeyIfDoesntExists(true);
    EXPECT_NE(reg.WriteString("HKCU\\Software\\New\\Deep", "a", "1"), 0);
    EXPECT_TRUE(reg.KeyExists("HKCU\\Software\\New"));
}

TEST(RegistryAccess, DefaultValueAndTheReadBuffer) {
    test::ScopedHives hives;
    clsRegistryAccess reg;
    const std::string key = "HKCU\\Software\\R";
    EXPECT_NE(reg.WriteString(key, "@", "default text"), 0);
    EXPECT_EQ(reg.ReadString(key, "", "none"), "default text");
    EXPECT_EQ(reg.ReadString(key, "@", "none"), "none");  // only the writer maps "@"
    EXPECT_FALSE(reg.ValueExists(key, "@"));

    reg.WriteString(key, "blanks", "  both sides  ");
    EXPECT_EQ(reg.ReadString(key, "blanks", ""), "both sides  ");
    reg.WriteString(key, "only blanks", "   ");
    EXPECT_EQ(reg.ReadString(key, "only blanks", "x"), "");
    reg.WriteString(key, "empty", "");
    EXPECT_EQ(reg.ReadString(key, "empty", "x"), "");
    // 254 characters and the terminating zero fill the 255-character buffer exactly.
    reg.WriteString(key, "fits", std::string(254, 'f'));
    EXPECT_EQ(reg.ReadString(key, "fits", "x"), std::string(254, 'f'));
    reg.WriteString(key, "long", std::string(255, 'l'));
    EXPECT_EQ(reg.ReadString(key, "long", "x"), "x");
    // Characters, not bytes, fill the buffer.
    reg.WriteString(
        key, "accents", std::string(127, 'a') + [] {
            std::string s;
            for (int i = 0; i < 127; ++i)
                s += "é";
            return s;
        }());
    EXPECT_EQ(reg.ReadString(key, "accents", "x").size(), 127u + 254u);
}

TEST(RegistryAccess, NumbersAndBytesReadBackWithTheirQuirks) {
    test::ScopedHives hives;
    clsRegistryAccess reg;
    const std::string key = "HKCU\\Software\\N";
    reg.WriteDWORD(key, "neg", -2);
    EXPECT_EQ(reg.ReadDWORD(key, "neg", 0), -2);
    EXPECT_EQ(reg.ReadBinary(key, "neg", ""), "FE FF FF FF");
    reg.WriteString(key, "A", "A");  // two bytes with the zero: fits in four
    EXPECT_EQ(reg.ReadDWORD(key, "A", 0), 65);
    reg.WriteString(key, "long", "ABCD");
    EXPECT_EQ(reg.ReadDWORD(key, "long", 3), 3);
    EXPECT_EQ(reg.ReadDWORD(key, "missing", 3), 3);

    EXPECT_NE(reg.WriteBinary(key, "bin", "01 ff 7"), 0);
    EXPECT_EQ(reg.ReadBinary(key, "bin", "dflt"), "01 FF");
    EXPECT_NE(reg.WriteBinary(key, "none", ""), 0);
    EXPECT_TRUE(reg.ValueExists(key, "none"));
    EXPECT_EQ(reg.ReadBinary(key, "none", "dflt"), "");
    EXPECT_EQ(reg.ReadBinary(key, "missing", "dflt"), "dflt");
    EXPECT_NE(reg.WriteBinary(key, "zeros", "00 01 00"), 0);
    EXPECT_EQ(reg.ReadBinary(key, "zeros", ""), "00 01 00");
    const std::string big(300, '\xAB');
    reg.WriteBinary(key, "big", clsRegistryAccess::BinToStr(big));
    EXPECT_EQ(clsRegistryAccess::StrToBin(reg.ReadBinary(key, "big", "")), big);
}

TEST(RegistryAccess, HexTextQuirks) {
    EXPECT_EQ(clsRegistryAccess::StrToBin(std::string_view("41 42 43")), "ABC");
    std::string text = " 41 4 2 43 ";
    EXPECT_EQ(clsRegistryAccess::StrToBin(text), "ABC");
    EXPECT_EQ(text, "414243");  // the cleaned text goes back to the caller
    // Half the length rounded to even: a last single digit stays for 3, 7... and goes for 1, 5...
    EXPECT_EQ(clsRegistryAccess::StrToBin(std::string_view("ABC")), "\xAB\x0C");
    EXPECT_EQ(clsRegistryAccess::StrToBin(std::string_view("ABCDE")), "\xAB\xCD");
    EXPECT_EQ(clsRegistryAccess::StrToBin(std::string_view("0102030")), std::string("\1\2\3\0", 4));
    EXPECT_EQ(clsRegistryAccess::StrToBin(std::string_view("A")), "");
    EXPECT_EQ(clsRegistryAccess::StrToBin(std::string_view("")), "");
    EXPECT_EQ(clsRegistryAccess::StrToBin(std::string_view("00")), std::string(1, '\0'));
    EXPECT_EQ(clsRegistryAccess::StrToBin(std::string_view("0x41G1")), std::string("\0A\0", 3));
    EXPECT_EQ(clsRegistryAccess::StrToBin(std::string_view("ff")), "\xFF");

    EXPECT_EQ(clsRegistryAccess::BinToStr("ABC"), " 41 42 43");
    EXPECT_EQ(clsRegistryAccess::BinToStr(std::string("\0\x01\xFF", 3)), " 00 01 FF");
    EXPECT_EQ(clsRegistryAccess::BinToStr(""), "");

    EXPECT_TRUE(clsRegistryAccess::isBinValid("ab 0F"));
    EXPECT_TRUE(clsRegistryAccess::isBinValid("0"));
    EXPECT_FALSE(clsRegistryAccess::isBinValid(""));
    EXPECT_FALSE(clsRegistryAccess::isBinValid("   "));
    EXPECT_FALSE(clsRegistryAccess::isBinValid("0x41"));
    EXPECT_FALSE(clsRegistryAccess::isBinValid("4G"));
    EXPECT_FALSE(clsRegistryAccess::isBinValid(std::string("41\0", 3)));
}

TEST(RegistryAccess, EveryWindows1252TextComesBackUnchanged) {
    test::ScopedHives hives;
    clsRegistryAccess reg;
    std::string bytes;
    for (int c = 0x21; c <= 0xFF; ++c) {  // a leading blank would be trimmed
        if (c != '\\')
            bytes.push_back(static_cast<char>(c));
    }
    const std::string all = Windows1252ToUtf8(bytes);
    ASSERT_NE(reg.WriteString("HKCU\\Software\\Cp", "all", all), 0);
    EXPECT_EQ(reg.ReadString("HKCU\\Software\\Cp", "all", ""), all);
    // Names too, as key names and as value names (a key name holds 255 characters).
    const std::string name = Windows1252ToUtf8(bytes.substr(0x60));
    ASSERT_NE(reg.WriteString("HKCU\\Software\\Cp\\" + name, name, "v"), 0);
    Names keys;
    reg.EnumKeys("HKCU\\Software\\Cp", keys);
    EXPECT_EQ(keys, Names{name});
    EXPECT_EQ(reg.ReadString("HKCU\\Software\\Cp\\" + name, name, ""), "v");
    // And texts beyond the code page are kept as well.
    reg.WriteString("HKCU\\Software\\Cp", "other", "Кино 東京");
    EXPECT_EQ(reg.ReadString("HKCU\\Software\\Cp", "other", ""), "Кино 東京");
}

// Bytes that are not well-formed UTF-8 never stand in for the letters they would spell if
// decoded loosely: an over-long form of "a" is a name of its own.
TEST(RegistryAccess, MalformedNamesDoNotAliasOtherNames) {
    test::ScopedHives hives;
    clsRegistryAccess reg;
    const std::string key = "HKCU\\Software\\Alias";
    ASSERT_NE(reg.WriteString(key, "a", "plain"), 0);
    ASSERT_NE(reg.CreateKey(key + "\\a"), 0);
    for (const char* overlong : {"\xC1\xA1", "\xE0\x81\xA1", "\xF0\x80\x81\xA1"}) {
        ASSERT_NE(reg.WriteString(key, overlong, "other"), 0);
        EXPECT_EQ(reg.ReadString(key, "A", ""), "plain") << overlong;
        EXPECT_EQ(reg.ReadString(key, overlong, ""), "other");
        ASSERT_NE(reg.CreateKey(key + "\\" + std::string(overlong) + "\\x"), 0);
        EXPECT_TRUE(reg.KeyExists(key + "\\" + std::string(overlong) + "\\x"));
        EXPECT_FALSE(reg.KeyExists(key + "\\a\\x")) << overlong;
    }
}

// Names compare upper-cased by a table of the program's own: "i" and "İ" or "k" and the
// Kelvin sign stay two names, and keys list in upper-case order.
TEST(RegistryAccess, NamesCompareAndSortUpperCased) {
    test::ScopedHives hives;
    clsRegistryAccess reg;
    const std::string key = "HKCU\\Software\\Fold";
    for (const char* name : {"i", "İ", "k", "\u212A", "ı", "σ", "Σ", "ß"}) {
        reg.WriteString(key, name, name);
    }
    Names names;
    std::vector<Value> values;
    EXPECT_EQ(reg.EnumValues(key, names, values), 6);
    EXPECT_EQ(names, (Names{"i", "İ", "k", "\u212A", "σ", "ß"}));
    EXPECT_EQ(reg.ReadString(key, "I", ""), "ı");  // dotless i upper-cases to I
    EXPECT_EQ(reg.ReadString(key, "ς", ""), "Σ");
    EXPECT_EQ(reg.ReadString(key, "SS", "none"), "none");  // ß has no one-letter upper case

    for (const char* sub : {"[", "_x", "A", "b"})
        reg.CreateKey(key + "\\" + sub);
    Names keys;
    reg.EnumKeys(key, keys);
    EXPECT_EQ(keys, (Names{"A", "b", "[", "_x"}));
}

// The upper-case table whole: every character of the Basic Multilingual Plane folds as
// towupper in C.UTF-8 has it; characters past it (the next plane has letters) stay as they are.
TEST(RegistryAccess, NameFoldUpperCasesEveryCharacterAsTheCLibrary) {
    const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr);
    ASSERT_NE(locale, nullptr);
    for (char32_t c = 0; c <= 0x1FFFF; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF)
            continue;
        std::string name, upper;
        AppendUtf8(name, c);
        AppendUtf8(upper, c > 0xFFFF ? c : towupper_l(static_cast<wint_t>(c), locale));
        ASSERT_EQ(reg::FoldName(name), upper) << "U+" << std::hex << static_cast<unsigned>(c);
    }
    freelocale(locale);
}

// A hive written with the small-letter fold is read as it is while it cannot be written,
// and folded again on the first write; names the new fold cannot tell apart are kept under
// a new name rather than lost.
TEST(RegistryAccess, HivesOfTheSmallLetterFoldAreBroughtUpToDate) {
    test::ScopedHives hives;
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(hives.UserHive().c_str(), &db), SQLITE_OK);
    const char* oldHive = R"sql(
        CREATE TABLE keys(id INTEGER PRIMARY KEY AUTOINCREMENT, parent INTEGER NOT NULL,
            name TEXT NOT NULL, fold TEXT NOT NULL, UNIQUE(parent, fold));
        CREATE TABLE key_values(key_id INTEGER NOT NULL, name TEXT NOT NULL, fold TEXT NOT NULL,
            type INTEGER NOT NULL, data BLOB NOT NULL, seq INTEGER NOT NULL,
            PRIMARY KEY(key_id, fold)) WITHOUT ROWID;
        CREATE INDEX key_values_order ON key_values(key_id, seq);
        INSERT INTO keys VALUES(1, 0, 'HKCU', 'hkcu'), (2, 1, 'Software', 'software'),
            (3, 2, 'Été', 'été'), (4, 3, 'b', 'b'), (5, 3, '_x', '_x');
        INSERT INTO key_values VALUES(3, 'σ', 'σ', 1, X'6F6E6500', 1),
            (3, 'ς', 'ς', 1, X'74776F00', 2), (3, 'Name', 'name', 1, X'7600', 3);
        PRAGMA application_id=1364350535; PRAGMA user_version=1;
    )sql";
    ASSERT_EQ(sqlite3_exec(db, oldHive, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);

    clsRegistryAccess reg;
    std::filesystem::permissions(hives.UserHive(), std::filesystem::perms::owner_read);
    EXPECT_EQ(reg.ReadString("HKCU\\SOFTWARE\\éTÉ", "NAME", ""), "v");
    EXPECT_EQ(reg.ReadString("HKCU\\Software\\Été", "ς", ""), "two");
    std::filesystem::permissions(hives.UserHive(), std::filesystem::perms::owner_all);

    reg::Registry::Process().TakeNotices();
    EXPECT_NE(reg.WriteString("HKCU\\Software\\Été", "new", "1"), 0);
    EXPECT_EQ(reg.ReadString("HKCU\\SOFTWARE\\éTÉ", "NAME", ""), "v");
    EXPECT_EQ(reg.ReadString("HKCU\\Software\\Été", "ς", ""), "one");
    EXPECT_EQ(reg.ReadString("HKCU\\Software\\Été", "ς~2", ""), "two");
    const Names notices = reg::Registry::Process().TakeNotices();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_NE(notices[0].find("ς~2"), std::string::npos);
    Names keys;
    reg.EnumKeys("HKCU\\Software\\Été", keys);
    EXPECT_EQ(keys, (Names{"b", "_x"}));
}

}  // namespace
}  // namespace quorvel
