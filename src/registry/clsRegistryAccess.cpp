#include "registry/clsRegistryAccess.h"

#include "files/TextCase.h"
#include "files/Windows1252.h"
#include "registry/KeyPath.h"
#include "registry/NameFold.h"
#include "registry/Registry.h"

#include <cstring>

namespace quorvel {
namespace {

using reg::Registry;
using reg::Status;

constexpr std::size_t kBufferCharacters = 255;

// A key handle as the 32-bit number callers test for non-zero.
clsRegistryAccess::Handle AsHandle(reg::Hkey key) {
    return static_cast<clsRegistryAccess::Handle>(key);
}

// The data of a value as the text a narrow registry call would give: string types are
// stored as UTF-8 text, any other type gives one character per byte.
std::string DataAsText(std::uint32_t type, const std::string& data) {
    if (type == reg::kRegSz || type == reg::kRegExpandSz || type == reg::kRegMultiSz)
        return data;
    return Windows1252ToUtf8(data);
}

void DropLastCharacter(std::string& text) {
    if (text.empty())
        return;
    std::size_t cut = text.size() - 1;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    text.erase(cut);
}

}  // namespace

clsRegistryAccess::Parsed clsRegistryAccess::ParseKeyPath(std::string_view path) const {
    reg::ParsedKeyPath parsed = reg::ParseKeyPath(path);
    return {parsed.root, std::move(parsed.subKey)};
}

Status clsRegistryAccess::Open(std::string_view sPath, reg::Access access, reg::Hkey& key) {
    const Parsed parsed = ParseKeyPath(sPath);
    key = reg::kNoKey;
    if (parsed.root == reg::kNoKey)
        return reg::kErrorInvalidHandle;
    return Registry::Process().OpenKey(parsed.root, parsed.subKey, access, key);
}

clsRegistryAccess::Handle clsRegistryAccess::CreateKey(std::string_view sPath) {
    const Parsed parsed = ParseKeyPath(sPath);
    if (parsed.root == reg::kNoKey)
        return 0;
    reg::Hkey key = reg::kNoKey;
    if (Registry::Process().CreateKey(parsed.root, parsed.subKey, key) != reg::kErrorSuccess) {
        return 0;
    }
    Registry::Process().CloseKey(key);
    return AsHandle(key);
}

clsRegistryAccess::Handle clsRegistryAccess::KillKey(std::string_view sPath) {
    reg::Hkey key = reg::kNoKey;
    if (Open(sPath, reg::Access::All, key) != reg::kErrorSuccess)
        return 0;
    Registry::Process().DeleteKey(key, "");
    Registry::Process().CloseKey(key);
    return AsHandle(key);
}

bool clsRegistryAccess::KeyExists(std::string_view sPath) {
    reg::Hkey key = reg::kNoKey;
    if (Open(sPath, reg::Access::All, key) != reg::kErrorSuccess)
        return false;
    Registry::Process().CloseKey(key);
    return true;
}

long clsRegistryAccess::EnumKeys(std::string_view sPath, std::vector<std::string>& Key) {
    Key.clear();
    reg::Hkey key = reg::kNoKey;
    if (Open(sPath, reg::Access::Maximum, key) != reg::kErrorSuccess)
        return -1;
    std::string name;
    for (std::uint32_t index = 0;; ++index) {
        const Status status = Registry::Process().EnumKey(key, index, name);
        if (status != reg::kErrorSuccess)
            break;  // no more items, or the hive failed
        Key.push_back(name);
    }
    Registry::Process().CloseKey(key);
    return static_cast<long>(Key.size());
}

bool clsRegistryAccess::HaveSubkey(std::string_view sPath) {
    reg::Hkey key = reg::kNoKey;
    if (Open(sPath, reg::Access::Maximum, key) != reg::kErrorSuccess)
        return false;
    std::string name;
    const Status status = Registry::Process().EnumKey(key, 0, name);
    Registry::Process().CloseKey(key);
    return status != reg::kErrorNoMoreItems;
}

bool clsRegistryAccess::EnsureKeyForWrite(std::string_view sPath) {
    if (KeyExists(sPath))
        return true;
    if (!m_createKeyIfDoesntExists)
        return false;
    CreateKey(sPath);
    return true;
}

clsRegistryAccess::Handle clsRegistryAccess::WriteValue(std::string_view sPath,
                                                        std::string_view sName, std::uint32_t type,
                                                        std::string_view data) {
    if (!EnsureKeyForWrite(sPath))
        return 0;
    reg::Hkey key = reg::kNoKey;
    if (Open(sPath, reg::Access::Write, key) != reg::kErrorSuccess)
        return 0;
    const Status status = Registry::Process().SetValue(key, sName, type, data);
    Registry::Process().CloseKey(key);
    return status == reg::kErrorSuccess ? AsHandle(key) : 0;
}

clsRegistryAccess::Handle clsRegistryAccess::WriteString(std::string_view sPath,
                                                         std::string_view sName,
                                                         std::string_view sValue) {
    std::string data(sValue);
    data.push_back('\0');
    return WriteValue(sPath, sName == "@" ? std::string_view() : sName, reg::kRegSz, data);
}

std::string clsRegistryAccess::ReadString(std::string_view sPath, std::string_view sName,
                                          std::string_view sDefault) {
    std::uint32_t type = 0;
    std::string data;
    if (!QueryValue(sPath, sName, type, data))
        return std::string(sDefault);
    // The value lands in a buffer of 255 blanks; a longer one does not fit at all.
    std::string buffer = DataAsText(type, data);
    const std::size_t characters = reg::CountCharacters(buffer);
    if (characters > kBufferCharacters)
        return std::string(sDefault);
    buffer.append(kBufferCharacters - characters, ' ');
    std::string text(TrimBlanks(buffer));
    DropLastCharacter(text);  // the terminating zero that follows the text
    return text;
}

clsRegistryAccess::Handle clsRegistryAccess::WriteDWORD(std::string_view sPath,
                                                        std::string_view sName,
                                                        std::int32_t lValue) {
    const auto bits = static_cast<std::uint32_t>(lValue);
    const char data[4] = {static_cast<char>(bits & 0xFF), static_cast<char>((bits >> 8) & 0xFF),
                          static_cast<char>((bits >> 16) & 0xFF),
                          static_cast<char>((bits >> 24) & 0xFF)};
    return WriteValue(sPath, sName, reg::kRegDword, std::string_view(data, 4));
}

std::int32_t clsRegistryAccess::ReadDWORD(std::string_view sPath, std::string_view sName,
                                          std::int32_t lDefault) {
    std::uint32_t type = 0;
    std::string data;
    if (!QueryValue(sPath, sName, type, data) || data.size() > 4)
        return lDefault;
    std::uint32_t bits = 0;
    for (std::size_t i = 0; i < data.size(); ++i) {
        bits |= static_cast<std::uint32_t>(static_cast<unsigned char>(data[i])) << (8 * i);
    }
    return static_cast<std::int32_t>(bits);
}

clsRegistryAccess::Handle clsRegistryAccess::WriteBinary(std::string_view sPath,
                                                         std::string_view sName,
                                                         std::string_view sValue) {
    std::string hex(sValue);
    return WriteValue(sPath, sName, reg::kRegBinary, StrToBin(hex));
}

std::string clsRegistryAccess::ReadBinary(std::string_view sPath, std::string_view sName,
                                          std::string_view sDefault) {
    std::uint32_t type = 0;
    std::string data;
    if (!QueryValue(sPath, sName, type, data))
        return std::string(sDefault);
    return std::string(TrimBlanks(BinToStr(data)));
}

clsRegistryAccess::Handle clsRegistryAccess::KillValue(std::string_view sPath,
                                                       std::string_view sName) {
    reg::Hkey key = reg::kNoKey;
    if (Open(sPath, reg::Access::Write, key) != reg::kErrorSuccess)
        return 0;
    Registry::Process().DeleteValue(key, sName);
    Registry::Process().CloseKey(key);
    return AsHandle(key);
}

bool clsRegistryAccess::ValueExists(std::string_view sPath, std::string_view sName) {
    std::uint32_t type = 0;
    std::string data;
    return QueryValue(sPath, sName, type, data);
}

bool clsRegistryAccess::QueryValue(std::string_view sPath, std::string_view sName,
                                   std::uint32_t& type, std::string& data) {
    reg::Hkey key = reg::kNoKey;
    if (Open(sPath, reg::Access::Read, key) != reg::kErrorSuccess)
        return false;
    const Status status = Registry::Process().QueryValue(key, sName, type, data);
    Registry::Process().CloseKey(key);
    return status == reg::kErrorSuccess;
}

long clsRegistryAccess::EnumValues(std::string_view sPath, std::vector<std::string>& sName,
                                   std::vector<Value>& sValue, long OnlyType,
                                   std::vector<std::uint32_t>* types) {
    reg::Hkey key = reg::kNoKey;
    if (Open(sPath, reg::Access::Maximum, key) != reg::kErrorSuccess)
        return -1;
    sName.clear();
    sValue.clear();
    if (types)
        types->clear();
    std::string name, data;
    std::uint32_t type = 0;
    for (std::uint32_t index = 0;; ++index) {
        if (Registry::Process().EnumValue(key, index, name, type, data) != reg::kErrorSuccess) {
            break;
        }
        if (OnlyType != -1 && static_cast<long>(type) != OnlyType)
            continue;
        const std::string listed(TrimBlanks(name));
        Value value;
        if (type == reg::kRegBinary) {
            value = std::string(TrimBlanks(BinToStr(data)));
        } else if (type == reg::kRegDword) {
            value = ReadDWORD(sPath, listed, 0);
        } else if (type == reg::kRegSz) {
            value = ReadString(sPath, listed, "");
        }
        sName.push_back(listed);
        sValue.push_back(std::move(value));
        if (types)
            types->push_back(type);
    }
    Registry::Process().CloseKey(key);
    return static_cast<long>(sName.size());
}

std::string clsRegistryAccess::StrToBin(std::string& sBin) {
    std::string cleaned;
    for (char c : sBin) {
        if (c != ' ')
            cleaned.push_back(c);
    }
    sBin = cleaned;
    // Half the length, rounded to the nearest whole number with halves to the even one:
    // a single last digit stays when the length leaves 3 divided by 4, and goes when it leaves 1.
    std::size_t pieces = cleaned.size() / 2;
    if (cleaned.size() % 2 == 1 && pieces % 2 == 1)
        ++pieces;
    std::string bytes;
    bytes.reserve(pieces);
    for (std::size_t i = 0; i < pieces; ++i) {
        const std::string_view piece = std::string_view(cleaned).substr(2 * i, 2);
        int value = 0;
        bool hex = true;
        for (char c : piece)
            hex = hex && HexDigitValue(c) >= 0;
        if (hex) {
            for (char c : piece)
                value = value * 16 + HexDigitValue(c);
        }
        bytes.push_back(static_cast<char>(value));
    }
    return bytes;
}

std::string clsRegistryAccess::StrToBin(std::string_view sBin) {
    std::string copy(sBin);
    return StrToBin(copy);
}

std::string clsRegistryAccess::BinToStr(std::string_view sStr) {
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    hex.reserve(sStr.size() * 3);
    for (char c : sStr) {
        const auto byte = static_cast<unsigned char>(c);
        hex.push_back(' ');
        hex.push_back(digits[byte >> 4]);
        hex.push_back(digits[byte & 0x0F]);
    }
    return hex;
}

bool clsRegistryAccess::isBinValid(std::string_view sBin) {
    std::string cleaned;
    for (char c : sBin) {
        if (c != ' ')
            cleaned.push_back(ToUpperAscii(c));
    }
    if (cleaned.empty())
        return false;
    for (char c : cleaned) {
        if (std::strchr("0123456789ABCDEF ", c) == nullptr || c == '\0')
            return false;
    }
    return true;
}

}  // namespace quorvel
