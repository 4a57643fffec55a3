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

    // A whole root exports with its sub-keys.
    ASSERT_EQ(reg.ExportToReg("HKCU", hives.Dir() / "root.reg", true), 1);
    EXPECT_NE(hives.Dir().Read("root.reg").find("[HKEY_CURRENT_USER\\Software\\Exp\\Sub]"),
              std::string::npos);

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
    // Nothing else: not the value before the first key, nor the comment (imported by mistake,
    // it would be named "; Comment"), nor the line without "=".
    Names names;
    std::vector<clsRegistryAccess::Value> values;
    reg.EnumValues(key, names, values);
    EXPECT_EQ(names, (Names{"Text", "Cut", "Spaced", "Bytes", "Num", "Short", "Naïve"}));
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

// A text or name that the file cannot hold as itself is left out with a notice: read back,
// it would delete another key, delete itself or change type.
TEST(RegFile, NoValueComesBackAsAnotherStatement) {
    test::ScopedHives hives;
    clsRegistryAccess reg;
    const std::string app = "HKCU\\Software\\App";
    ASSERT_NE(reg.WriteString("HKCU\\Software\\Victim", "keep", "1"), 0);
    reg.WriteString(app, "note", "line1\r\n[-HKEY_CURRENT_USER\\Software\\Victim]");
    reg.WriteString(app, "x\r\n[-HKEY_CURRENT_USER\\Software\\Victim]\r\n", "1");
    reg.WriteString(app, "dash", "-");
    reg.WriteString(app, "hexy", "hex:01,02");
    reg.WriteString(app, "number", "dword:5");
    reg.WriteString(app, "zero", std::string("-\0x", 3));
    reg.WriteString(app, "quoted", "say \"hi\"");
    reg.WriteString(app, "equals", "a=b");
    reg.WriteString(app, "@", "");
    reg.WriteBinary(app, "[-HKEY_CURRENT_USER\\Software\\Victim]", "01");
    reg.WriteString(app, "far", "日本");
    reg.WriteString(app, "ok", "fine");
    reg.WriteDWORD(app, "n", 7);

    std::vector<std::string> shown;
    const auto file = hives.Dir() / "app.reg";
    EXPECT_EQ(reg.ExportToReg(app, file, false, [&](const std::string& t) { shown.push_back(t); }),
              0);
    EXPECT_EQ(reg.Notices().size(), 11u);
    EXPECT_EQ(shown.size(), 12u);  // the key's path, then each notice
    EXPECT_EQ(hives.Dir().Read("app.reg"),
              Reg({"REGEDIT4", "", "[HKEY_CURRENT_USER\\Software\\App]", "\"ok\"=\"fine\"",
                   "\"n\"=dword:00000007", ""}));

    // A hand-made file cannot smuggle a line break into a value either.
    reg.KillKey(app);
    hives.Dir().Write("crlf.reg",
                      "REGEDIT4\r\n[HKEY_CURRENT_USER\\Software\\App]\r\n"
                      "\"first\"=\"1\"\r\n\"v\"=\"a\r\"\n[-HKCU\\Software\\Victim]\"\r\n"
                      "\"after\"=\"2\"\r\n");
    EXPECT_EQ(reg.ImportFromReg(hives.Dir() / "crlf.reg"), 0);
    EXPECT_EQ(reg.Notices().size(), 1u);
    EXPECT_EQ(reg.ReadString(app, "first", ""), "1");
    EXPECT_FALSE(reg.ValueExists(app, "v"));
    EXPECT_FALSE(reg.ValueExists(app, "after"));
    EXPECT_TRUE(reg.KeyExists("HKCU\\Software\\Victim"));
}

TEST(RegFile, NumbersThatDoNotFitStopTheImport) {
    test::ScopedHives hives;
    clsRegistryAccess reg;
    const std::string key = "HKCU\\Software\\Num";
    hives.Dir().Write("n.reg", Reg({"REGEDIT4", "[" + key + "]", "\"lead\"=dword:000000002a",
                                    "\"wide\"=dword:123456789", "\"after\"=dword:1"}));
    EXPECT_EQ(reg.ImportFromReg(hives.Dir() / "n.reg"), 0);
    EXPECT_EQ(reg.ReadDWORD(key, "lead", 0), 42);
    EXPECT_FALSE(reg.ValueExists(key, "wide"));
    EXPECT_FALSE(reg.ValueExists(key, "after"));
    ASSERT_EQ(reg.Notices().size(), 1u);
    EXPECT_NE(reg.Notices()[0].find("Line 4"), std::string::npos);
}

// The default value is written whatever its text type; it comes back as plain text.
TEST(RegFile, DefaultValueOfExpandableTextIsExported) {
    test::ScopedHives hives;
    clsRegistryAccess reg;
    ASSERT_NE(reg.CreateKey("HKCU\\Software\\Exp"), 0);
    reg::Hkey key = reg::kNoKey;
    auto& registry = reg::Registry::Process();
    ASSERT_EQ(registry.OpenKey(reg::kHkeyCurrentUser, "Software\\Exp", reg::Access::All, key),
              reg::kErrorSuccess);
    registry.SetValue(key, "", reg::kRegExpandSz, std::string("%HOME%\\x\0", 9));
    registry.CloseKey(key);
    ASSERT_EQ(reg.ExportToReg("HKCU\\Software\\Exp", hives.Dir() / "e.reg", false), 1);
    EXPECT_EQ(hives.Dir().Read("e.reg"),
              Reg({"REGEDIT4", "", "[HKEY_CURRENT_USER\\Software\\Exp]", "@=\"%HOME%\\x\"", ""}));
}

}  // namespace
}  // namespace quorvel
