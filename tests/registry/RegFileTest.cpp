#include "ScopedHives.h"
#include "files/Windows1252.h"
#include "registry/KeyPath.h"
#include "registry/Registry.h"
#include "registry/clsRegistryAccess.h"

#include <gtest/gtest.h>

#include <functional>

namespace quorvel {
namespace {

using Names = std::vector<std::string>;

std::string Reg(std::initializer_list<std::string_view> lines) {
    std::string text;
    for (std::string_view line : lines)
        text.append(line).append("\r\n");
    return text;
}

TEST(RegFile, ExportWritesEachKeyWithItsValuesInTypeOrder) {
    test::ScopedHives hives;
    clsRegistryAccess reg;
    const std::string key = "HKCU\\Software\\Exp";
    reg.WriteDWORD(key, "Count", 42);
    reg.WriteBinary(key, "Bytes", "01 FF");
    reg.WriteString(key, "Name", "Café");
    reg.WriteString(key, "@", "the default");
    reg.WriteString(key + "\\Sub", "x", "1");
    reg.WriteDWORD(key + "\\Sub\\Deeper", "neg", -1);

    std::vector<std::string> shown;
    const auto flat = hives.Dir() / "flat.reg";
    ASSERT_EQ(reg.ExportToReg("hkcu\\Software\\Exp", flat, false,
                              [&](const std::string& path) { shown.push_back(path); }),
              1);
    EXPECT_EQ(shown, Names{"HKEY_CURRENT_USER\\Software\\Exp"});
    // The default text is written once, as "@", and not again among the named texts.
    EXPECT_EQ(hives.Dir().Read("flat.reg"), Utf8ToWindows1252(Reg({
                                                "REGEDIT4",
                                                "",
                                                "[HKEY_CURRENT_USER\\Software\\Exp]",
                                                "@=\"the default\"",
                                                "\"Name\"=\"Café\"",
                                                "\"Bytes\"=hex:01,FF",
                                                "\"Count\"=dword:0000002A",
                                                "",
                                            })));

    const auto deep = hives.Dir() / "deep.reg";
    ASSERT_EQ(reg.ExportToReg(key, deep, true), 1);
    const std::string text = hives.Dir().Read("deep.reg");
    EXPECT_NE(text.find("\r\n\r\n[HKEY_CURRENT_USER\\Software\\Exp\\Sub]\r\n\"x\"=\"1\"\r\n\r\n"
                        "[HKEY_CURRENT_USER\\Software\\Exp\\Sub\\Deeper]\r\n"
                        "\"neg\"=dword:FFFFFFFF\r\n\r\n"),
              std::string::npos)
        << text;

    // An existing file is refused and left alone; a missing key makes no file.
    const auto existing = hives.Dir().Write("existing.reg", "keep me");
    EXPECT_EQ(reg.ExportToReg(key, existing, true), 0);
    EXPECT_EQ(hives.Dir().Read("existing.reg"), "keep me");
    EXPECT_EQ(reg.ExportToReg("HKCU\\Software\\Missing", hives.Dir() / "m.reg", false), 0);
    EXPECT_FALSE(std::filesystem::exists(hives.Dir() / "m.reg"));
    EXPECT_EQ(reg.ExportToReg(key, hives.Dir() / "no" / "folder.reg", false), 0);
}

TEST(RegFile, ImportFollowsTheFileLineByLine) {
    test::ScopedHives hives;
    clsRegistryAccess reg;
    reg.WriteString("HKCU\\Software\\Imp\\Old", "x", "1");
    reg.WriteString("HKCU\\Software\\Imp\\Parent\\Child", "x", "1");
    reg.WriteString("HKCU\\Software\\Imp", "gone", "1");
    reg.WriteString("HKCU\\Software\\Imp", "@", "old default");
    reg.CreateKeyIfDoesntExists(false);  // the import switches it on again

    const auto file = hives.Dir().Write("in.reg", Utf8ToWindows1252(Reg({
                                                      "regedit4",
                                                      "\"Outside\"=\"ignored\"",
                                                      "[HKEY_CURRENT_USER\\Software\\Imp]",
                                                      "  \"Text\"=\"say \"hi\"\"  ",
                                                      "\"Cut\"=\"a=b=c\"",
                                                      "; \"Comment\"=\"no\"",
                                                      "no equals sign",
                                                      "\"Spaced\" = \" v \"",
                                                      "\"Bytes\"=HEX:01,ff,7",
                                                      "\"Num\"=dword:0000002a",
                                                      "\"Short\"=dword:1fz9",
                                                      "\"gone\"=-",
                                                      "@=",
                                                      "\"Naïve\"=\"été\"",
                                                      "[-HKEY_CURRENT_USER\\Software\\Imp\\Old]",
                                                      "\"AfterDelete\"=\"ignored\"",
                                                      "[-HKCU\\Software\\Imp\\Parent]",
                                                      "[HKCU\\Software\\Imp\\New\\Deep]",
                                                      "@=\"new default\"",
                                                  })));
    ASSERT_EQ(reg.ImportFromReg(file), 1);
    EXPECT_TRUE(reg.CreateKeyIfDoesntExists());

    const std::string key = "HKCU\\Software\\Imp";
    EXPECT_EQ(reg.ReadString(key, "Text", ""), "say hi");
    EXPECT_EQ(reg.ReadString(key, "Cut", ""), "a");
    EXPECT_FALSE(reg.ValueExists(key, "Comment"));
    EXPECT_FALSE(reg.ValueExists(key, "Outside"));
    EXPECT_EQ(reg.ReadString(key, "Spaced ", ""), "v ");  // blanks around "=" are kept
    EXPECT_EQ(reg.ReadBinary(key, "Bytes", ""), "01 FF");
    EXPECT_EQ(reg.ReadDWORD(key, "Num", 0), 42);
    EXPECT_EQ(reg.ReadDWORD(key, "Short", 0), 0x1F);
    EXPECT_FALSE(reg.ValueExists(key, "gone"));
    EXPECT_FALSE(reg.ValueExists(key, ""));  // "@=" deletes the default value
    EXPECT_EQ(reg.ReadString(key, "naïve", ""), "été");
    EXPECT_FALSE(reg.KeyExists(key + "\\Old"));
    EXPECT_FALSE(reg.ValueExists(key + "\\Old", "AfterDelete"));
    EXPECT_TRUE(reg.KeyExists(key + "\\Parent\\Child"));  // a key with sub-keys stays
    EXPECT_EQ(reg.ReadString(key + "\\New\\Deep", "", ""), "new default");
}

TEST(RegFile, ImportRefusesMissingFilesAndOtherHeaders) {
    test::ScopedHives hives;
    clsRegistryAccess reg;
    EXPECT_EQ(reg.ImportFromReg(hives.Dir() / "missing.reg"), 0);
    for (const char* text :
         {"REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Bad]\n\"a\"=\"1\"\n",
          "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Bad]\r\n",
          "REGEDIT4 \r\n[HKEY_CURRENT_USER\\Software\\Bad]\r\n", ""}) {
        EXPECT_EQ(reg.ImportFromReg(hives.Dir().Write("bad.reg", text)), 0) << text;
    }
    EXPECT_FALSE(reg.KeyExists("HKCU\\Software\\Bad"));
    EXPECT_EQ(reg.ImportFromReg(hives.Dir().Path()), 0);
}

// An export may go to any name the folder takes, up to 255 bytes, and leaves no helper
// file behind.
TEST(RegFile, ExportTakesTheLongestFileNameTheFolderAllows) {
    test::ScopedHives hives;
    clsRegistryAccess reg;
    reg.WriteString("HKCU\\Software\\Long", "a", "1");
    const test::TempDir out;
    for (const std::size_t length : {std::size_t{230}, std::size_t{245}, std::size_t{255}}) {
        const std::string name(length, 'r');
        ASSERT_EQ(reg.ExportToReg("HKCU\\Software\\Long", out / name, false), 1) << length;
        EXPECT_EQ(out.Read(name),
                  "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Long]\r\n\"a\"=\"1\"\r\n\r\n");
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out.Path()), {}), 3);
}

// Every value of a tree, read raw: name, type and bytes, keys in order.
std::vector<std::string> Snapshot(const std::string& path) {
    clsRegistryAccess reg;
    std::vector<std::string> lines;
    const reg::ParsedKeyPath parsed = reg::ParseKeyPath(path);
    reg::Hkey key = reg::kNoKey;
    if (reg::Registry::Process().OpenKey(parsed.root, parsed.subKey, reg::Access::Read, key) !=
        reg::kErrorSuccess) {
        return {"missing " + path};
    }
    std::string name, data;
    std::uint32_t type = 0;
    for (std::uint32_t i = 0;
         reg::Registry::Process().EnumValue(key, i, name, type, data) == reg::kErrorSuccess; ++i) {
        lines.push_back(path + "|" + name + "|" + std::to_string(type) + "|" +
                        clsRegistryAccess::BinToStr(data));
    }
    reg::Registry::Process().CloseKey(key);
    std::sort(lines.begin(), lines.end());
    Names children;
    reg.EnumKeys(path, children);
    for (const std::string& child : children) {
        for (std::string& line : Snapshot(path + "\\" + child))
            lines.push_back(std::move(line));
    }
    return lines;
}

TEST(RegFile, ExportedKeysImportBackToTheSameKeysAndValues) {
    test::ScopedHives hives;
    clsRegistryAccess reg;
    std::string cp1252;
    for (int c = 0x21; c <= 0xFF; ++c) {
        if (c != '"' && c != '=')
            cp1252.push_back(static_cast<char>(c));
    }
    const std::string root = "HKLM\\SOFTWARE\\Trip";
    reg.WriteString(root, "@", "top default");
    reg.WriteString(root, "all", Windows1252ToUtf8(cp1252));
    reg.WriteString(root, "  blanks  ", "  around  ");
    reg.WriteString(root, "long", std::string(5000, 'L'));
    reg.WriteString(root, "empty", "");
    reg.WriteBinary(root, "none", "");
    reg.WriteBinary(root, "bytes", clsRegistryAccess::BinToStr(std::string(700, '\x9C')));
    reg.WriteDWORD(root, "min", INT32_MIN);
    reg.WriteDWORD(root, "", 7);  // a number as the default value
    reg.WriteString(root + "\\Ünïcödé\\Leaf", "x", "y");
    reg.CreateKey(root + "\\Empty");
    const std::vector<std::string> before = Snapshot(root);

    const auto file = hives.Dir() / "trip.reg";
    ASSERT_EQ(reg.ExportToReg(root, file, true), 1);
    for (const char* path : {"\\Ünïcödé\\Leaf", "\\Ünïcödé", "\\Empty", ""}) {
        reg.KillKey(root + path);
    }
    ASSERT_FALSE(reg.KeyExists(root));
    ASSERT_EQ(reg.ImportFromReg(file), 1);
    EXPECT_EQ(Snapshot(root), before);
}

// Keys lie at most 512 names below their root, as on Windows: an import or a write cannot
// build a chain so deep that walking it for an export overflows the stack.
TEST(RegFile, KeysDeeperThanTheRegistryAllowsAreRefused) {
    test::ScopedHives hives;
    clsRegistryAccess reg;
    const auto chain = [](std::size_t depth, const std::string& name = "k") {
        std::string path = "HKCU";
        for (std::size_t i = 0; i < depth; ++i)
            path += "\\" + name;
        return path;
    };
    EXPECT_NE(reg.CreateKey(chain(512)), 0);
    EXPECT_EQ(reg.CreateKey(chain(513)), 0);
    EXPECT_EQ(reg.WriteString(chain(513), "v", "x"), 0);
    EXPECT_FALSE(reg.KeyExists(chain(513)));

    // The same bound holds below a handle that is already deep.
    reg::Registry& registry = reg::Registry::Process();
    ASSERT_NE(reg.CreateKey(chain(500, "h")), 0);
    reg::Hkey deep = reg::kNoKey;
    ASSERT_EQ(
        registry.OpenKey(reg::kHkeyCurrentUser, chain(500, "h").substr(5), reg::Access::All, deep),
        reg::kErrorSuccess);
    reg::Hkey created = reg::kNoKey;
    EXPECT_EQ(registry.CreateKey(deep, "a\\b\\c\\d\\e\\f\\g\\h\\i\\j\\k\\l", created),
              reg::kErrorSuccess);
    registry.CloseKey(created);
    EXPECT_EQ(registry.CreateKey(deep, "a\\b\\c\\d\\e\\f\\g\\h\\i\\j\\k\\l\\m", created),
              reg::kErrorInvalidParameter);
    registry.CloseKey(deep);

    // An import carries on past a section too deep to exist.
    const std::string deepSection = "[HKEY_CURRENT_USER\\Imp" + chain(3000).substr(4) + "]";
    hives.Dir().Write("deep.reg", Reg({"REGEDIT4", deepSection, "\"v\"=\"1\"",
                                       "[HKEY_CURRENT_USER\\Imp]", "\"w\"=\"2\""}));
    EXPECT_EQ(reg.ImportFromReg(hives.Dir() / "deep.reg"), 1);
    EXPECT_EQ(reg.ReadString("HKCU\\Imp", "w", ""), "2");
    EXPECT_FALSE(reg.HaveSubkey("HKCU\\Imp"));

    // The deepest chain there can be exports whole.
    const auto file = hives.Dir() / "chain.reg";
    ASSERT_EQ(reg.ExportToReg("HKCU\\k", file, true), 1);
    const std::string text = hives.Dir().Read("chain.reg");
    std::size_t sections = 0;
    for (std::size_t at = text.find("\r\n["); at != std::string::npos;
         at = text.find("\r\n[", at + 1))
        ++sections;
    EXPECT_EQ(sections, 512u);
}

}  // namespace
}  // namespace quorvel
