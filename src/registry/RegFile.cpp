// REGEDIT4 files: export of a key (and its sub-keys) and import of such a file.
#include "files/FileIo.h"
#include "files/TextCase.h"
#include "files/Windows1252.h"
#include "registry/KeyPath.h"
#include "registry/Registry.h"
#include "registry/clsRegistryAccess.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <filesystem>

namespace quorvel {
namespace {

using reg::Registry;

struct KeyContents {
    std::vector<reg::ValueRecord> values;
    std::vector<std::string> children;
};

// Everything of one key, read in full: the file carries texts of any length and with
// blanks at either end, so nothing is cut to a read buffer here.
bool ReadKey(std::string_view path, bool withChildren, KeyContents& contents) {
    const reg::ParsedKeyPath parsed = reg::ParseKeyPath(path);
    if (parsed.root == reg::kNoKey)
        return false;
    Registry& registry = Registry::Process();
    reg::Hkey key = reg::kNoKey;
    if (registry.OpenKey(parsed.root, parsed.subKey, reg::Access::Maximum, key) !=
        reg::kErrorSuccess) {
        return false;
    }
    bool ok = true;
    reg::Status status = reg::kErrorSuccess;
    for (std::uint32_t index = 0; status == reg::kErrorSuccess; ++index) {
        reg::ValueRecord value;
        status = registry.EnumValue(key, index, value.name, value.type, value.data);
        if (status == reg::kErrorSuccess)
            contents.values.push_back(std::move(value));
    }
    ok = status == reg::kErrorNoMoreItems;
    status = reg::kErrorSuccess;
    for (std::uint32_t index = 0; ok && withChildren && status == reg::kErrorSuccess; ++index) {
        std::string name;
        status = registry.EnumKey(key, index, name);
        if (status == reg::kErrorSuccess)
            contents.children.push_back(std::move(name));
    }
    ok = ok && (!withChildren || status == reg::kErrorNoMoreItems);
    registry.CloseKey(key);
    return ok;
}

// A text value up to its terminating zero.
std::string_view StoredText(const std::string& data) {
    const std::size_t zero = data.find('\0');
    return std::string_view(data).substr(0, zero);
}

std::string HexBytes(const std::string& data) {
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    for (std::size_t i = 0; i < data.size(); ++i) {
        const auto byte = static_cast<unsigned char>(data[i]);
        if (i > 0)
            hex.push_back(',');
        hex.push_back(digits[byte >> 4]);
        hex.push_back(digits[byte & 0x0F]);
    }
    return hex;
}

std::uint32_t DwordOf(const std::string& data) {
    if (data.size() > 4)
        return 0;
    std::uint32_t bits = 0;
    for (std::size_t i = 0; i < data.size(); ++i) {
        bits |= static_cast<std::uint32_t>(static_cast<unsigned char>(data[i])) << (8 * i);
    }
    return bits;
}

// Creates the file exclusively and writes it in place (file systems without hard links).
bool WriteExclusively(const std::string& path, const std::string& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        written += static_cast<std::size_t>(n);
    }
    const bool ok = written == bytes.size() && ::fsync(fd) == 0;
    ::close(fd);
    if (!ok)
        ::unlink(path.c_str());
    return ok;
}

// Makes a new file that appears whole or not at all, and never replaces one that exists,
// even one that appeared since the first check: the bytes are written beside it and then
// linked to the name, which fails when the name is taken.
bool WriteNewFile(const std::string& path, const std::string& bytes) {
    // A short name of its own, since the file's name may already be as long as names get.
    static std::atomic<unsigned> serial{0};
    const std::filesystem::path target(path);
    const std::filesystem::path folder =
        target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
    const std::string part = (folder / (".export-" + std::to_string(::getpid()) + "-" +
                                        std::to_string(serial++) + ".part"))
                                 .string();
    std::string error;
    if (!WriteFileAtomically(part, bytes, error))
        return false;
    const int linked = ::link(part.c_str(), path.c_str());
    const int linkError = errno;
    ::unlink(part.c_str());
    if (linked == 0)
        return true;
    if (linkError == EEXIST)
        return false;
    return WriteExclusively(path, bytes);
}

std::vector<std::string_view> SplitAtCrLf(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string_view::npos;
         start = end + 2) {
        lines.push_back(text.substr(start, end - start));
    }
    lines.push_back(text.substr(start));
    return lines;
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           EqualsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

// Leading hexadecimal digits; reading stops at the first other character.
std::int32_t LeadingHex(std::string_view text) {
    std::uint32_t value = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else if (c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else {
            break;
        }
        value = (value << 4) | static_cast<std::uint32_t>(digit);
    }
    return static_cast<std::int32_t>(value);
}

}  // namespace

int clsRegistryAccess::ExportToReg(std::string_view sPath, const std::string& sRegFile,
                                   bool IncludeSubkeys, const Progress& Output) {
    std::error_code ec;
    if (std::filesystem::exists(std::filesystem::symlink_status(sRegFile, ec)))
        return 0;
    // The file is made only once the whole export is known, so a failure leaves no half file.
    std::string text = "REGEDIT4\r\n\r\n";
    if (!ExportKey(std::string(sPath), text, IncludeSubkeys, Output))
        return 0;
    return WriteNewFile(sRegFile, Utf8ToWindows1252(text)) ? 1 : 0;
}

bool clsRegistryAccess::ExportKey(const std::string& path, std::string& file, bool IncludeSubkeys,
                                  const Progress& Output) {
    const std::string longPath = reg::WithLongRootNames(path);
    if (Output)
        Output(longPath);
    KeyContents contents;
    if (!ReadKey(longPath, IncludeSubkeys, contents))
        return false;

    file += "[" + longPath + "]\r\n";
    for (const reg::ValueRecord& value : contents.values) {
        if (value.name.empty() && value.type == reg::kRegSz) {
            file += "@=\"" + std::string(StoredText(value.data)) + "\"\r\n";
        }
    }
    for (const reg::ValueRecord& value : contents.values) {
        if (!value.name.empty() && value.type == reg::kRegSz) {
            file += "\"" + value.name + "\"=\"" + std::string(StoredText(value.data)) + "\"\r\n";
        }
    }
    for (const reg::ValueRecord& value : contents.values) {
        if (value.type == reg::kRegBinary) {
            file += "\"" + value.name + "\"=hex:" + HexBytes(value.data) + "\r\n";
        }
    }
    for (const reg::ValueRecord& value : contents.values) {
        if (value.type == reg::kRegDword) {
            char digits[16];
            std::snprintf(digits, sizeof digits, "%08X", DwordOf(value.data));
            file += "\"" + value.name + "\"=dword:" + digits + "\r\n";
        }
    }
    file += "\r\n";

    if (IncludeSubkeys) {
        for (const std::string& child : contents.children) {
            if (!ExportKey(longPath + "\\" + child, file, IncludeSubkeys, Output))
                return false;
        }
    }
    return true;
}

int clsRegistryAccess::ImportFromReg(const std::string& sRegFile) {
    m_createKeyIfDoesntExists = true;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(sRegFile, ec))
        return 0;
    std::string bytes, error;
    if (!ReadWholeFile(sRegFile, bytes, error))
        return 0;
    const std::string text = Windows1252ToUtf8(bytes);
    const std::vector<std::string_view> lines = SplitAtCrLf(text);
    if (ToUpperAscii(lines.front()) != "REGEDIT4")
        return 0;

    bool inSection = false;
    std::string keyPath;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        std::string line;
        for (char c : TrimBlanks(lines[i])) {
            if (c != '"')
                line.push_back(c);
        }
        if (!line.empty() && line.front() == '[') {
            const std::string path = line.size() >= 2 ? line.substr(1, line.size() - 2) : "";
            if (!path.empty() && path.front() == '-') {
                KillKey(std::string_view(path).substr(1));
                inSection = false;
            } else {
                keyPath = path;
                inSection = true;
            }
            continue;
        }
        if (!inSection || line.empty() || line.front() == ';')
            continue;
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        const std::string name = line.substr(0, equals);
        const std::size_t next = line.find('=', equals + 1);
        // Text after a second "=" is not part of the value.
        const std::string value = line.substr(
            equals + 1, next == std::string::npos ? std::string::npos : next - equals - 1);

        if (TrimBlanks(value) == "-") {
            KillValue(keyPath, name);
        } else if (StartsWithIgnoringCase(value, "hex:")) {
            std::string hex = value.substr(4);
            for (char& c : hex) {
                if (c == ',')
                    c = ' ';
            }
            WriteBinary(keyPath, name, hex);
        } else if (StartsWithIgnoringCase(value, "dword:")) {
            WriteDWORD(keyPath, name, LeadingHex(std::string_view(value).substr(6)));
        } else {
            WriteString(keyPath, name, value);
            if (name == "@" && value.empty())
                KillValue(keyPath, "");
        }
    }
    return 1;
}

}  // namespace quorvel
