// REGEDIT4 files: export of a key (and its sub-keys) and import of such a file.
#include "files/FileIo.h"
#include "files/TextCase.h"
#include "files/Windows1252.h"
#include "registry/KeyPath.h"
#include "registry/NameFold.h"
#include "registry/RegLine.h"
#include "registry/Registry.h"
#include "registry/clsRegistryAccess.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <optional>

namespace quorvel {
namespace {

using reg::Registry;

struct KeyContents {
    std::vector<reg::ValueRecord> values;
    std::vector<std::string> children;
};

// Everything of one key, read in full: the file carries texts of any length and with
// blanks at either end, so nothing is cut to a read buffer here.
bool ReadKey(reg::Hkey root, const std::string& subKey, bool withChildren, KeyContents& contents) {
    if (root == reg::kNoKey)
        return false;
    Registry& registry = Registry::Process();
    reg::Hkey key = reg::kNoKey;
    if (registry.OpenKey(root, subKey, reg::Access::Maximum, key) != reg::kErrorSuccess) {
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

bool IsTextType(std::uint32_t type) {
    return type == reg::kRegSz || type == reg::kRegExpandSz || type == reg::kRegMultiSz;
}

std::string DwordBytes(std::uint32_t bits) {
    return {static_cast<char>(bits & 0xFF), static_cast<char>((bits >> 8) & 0xFF),
            static_cast<char>((bits >> 16) & 0xFF), static_cast<char>((bits >> 24) & 0xFF)};
}

// The line as the import will read it from the file, or nothing when the file's code page
// cannot hold it or it would break into several lines.
std::optional<reg::RegLine> AsReadBack(const std::string& line) {
    const std::string bytes = Utf8ToWindows1252(line);
    if (bytes.find("\r\n") != std::string::npos || Windows1252ToUtf8(bytes) != line)
        return std::nullopt;
    return reg::ReadRegLine(line);
}

// Whether the import turns `line` back into this very value: same name, type and bytes. A
// default value of another text type comes back as plain text, as the format has it.
bool ReadsBackAs(const std::string& line, const reg::ValueRecord& value) {
    const std::optional<reg::RegLine> read = AsReadBack(line);
    if (!read || read->kind != reg::RegLine::Kind::Value)
        return false;
    std::string name = read->name;
    std::uint32_t type = reg::kRegNone;
    std::string data;
    switch (read->action) {
        case reg::RegLine::Action::Text:
            if (name == "@") {
                if (read->data.empty())
                    return false;  // "@=" deletes the default value
                name.clear();
            }
            type = name.empty() && IsTextType(value.type) ? value.type : reg::kRegSz;
            data = read->data + '\0';
            break;
        case reg::RegLine::Action::Binary:
            type = reg::kRegBinary;
            data = clsRegistryAccess::StrToBin(std::string_view(read->data));
            break;
        case reg::RegLine::Action::Dword:
            type = reg::kRegDword;
            data = DwordBytes(read->number);
            break;
        case reg::RegLine::Action::DeleteValue:
            return false;
    }
    return name == value.name && type == value.type && data == value.data;
}

// Whether the import opens the same key from this key line.
bool ReadsBackAsKey(const std::string& line, reg::Hkey root, const std::string& subKey) {
    const std::optional<reg::RegLine> read = AsReadBack(line);
    if (!read || read->kind != reg::RegLine::Kind::Key)
        return false;
    const reg::ParsedKeyPath parsed = reg::ParseKeyPath(read->path);
    std::vector<std::string_view> written, wanted;
    if (parsed.root != root || !reg::SplitSubKey(parsed.subKey, written) ||
        !reg::SplitSubKey(subKey, wanted) || written.size() != wanted.size()) {
        return false;
    }
    for (std::size_t i = 0; i < written.size(); ++i) {
        if (reg::FoldName(written[i]) != reg::FoldName(wanted[i]))
            return false;
    }
    return true;
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

}  // namespace

int clsRegistryAccess::ExportToReg(std::string_view sPath, const std::string& sRegFile,
                                   bool IncludeSubkeys, const Progress& Output) {
    m_notices.clear();
    std::error_code ec;
    if (std::filesystem::exists(std::filesystem::symlink_status(sRegFile, ec)))
        return 0;
    // The file is made only once the whole export is known, so a failure leaves no half file.
    std::string text = "REGEDIT4\r\n\r\n";
    const reg::ParsedKeyPath parsed = reg::ParseKeyPath(sPath);
    if (!ExportKey(std::string(sPath), parsed.subKey, text, IncludeSubkeys, Output))
        return 0;
    if (!WriteNewFile(sRegFile, Utf8ToWindows1252(text)))
        return 0;
    // The file holds everything else; what was left out makes the export incomplete.
    return m_notices.empty() ? 1 : 0;
}

bool clsRegistryAccess::ExportKey(const std::string& path, const std::string& subKey,
                                  std::string& file, bool IncludeSubkeys, const Progress& Output) {
    const std::string longPath = reg::WithLongRootNames(path);
    if (Output)
        Output(longPath);
    const reg::Hkey root = reg::ParseKeyPath(path).root;
    KeyContents contents;
    if (!ReadKey(root, subKey, IncludeSubkeys, contents))
        return false;

    const auto leaveOut = [&](const std::string& notice) {
        m_notices.push_back(notice);
        if (Output)
            Output(notice);
    };
    const std::string keyLine = "[" + longPath + "]";
    if (!ReadsBackAsKey(keyLine, root, subKey)) {
        leaveOut("Left out " + longPath +
                 " and the keys below it: a REGEDIT4 file cannot name this key so that it "
                 "reads back the same.");
        return true;
    }
    // Each value's line, or a notice when the file would give back something else.
    const auto write = [&](const reg::ValueRecord& value, const std::string& line) {
        if (ReadsBackAs(line, value)) {
            file += line + "\r\n";
        } else {
            leaveOut("Left out the value \"" + value.name + "\" of " + longPath +
                     ": a REGEDIT4 file cannot hold it so that it reads back the same.");
        }
    };
    file += keyLine + "\r\n";
    for (const reg::ValueRecord& value : contents.values) {
        if (value.name.empty() && IsTextType(value.type))
            write(value, "@=\"" + std::string(StoredText(value.data)) + "\"");
    }
    for (const reg::ValueRecord& value : contents.values) {
        if (!value.name.empty() && value.type == reg::kRegSz)
            write(value, "\"" + value.name + "\"=\"" + std::string(StoredText(value.data)) + "\"");
    }
    for (const reg::ValueRecord& value : contents.values) {
        if (value.type == reg::kRegBinary)
            write(value, "\"" + value.name + "\"=hex:" + HexBytes(value.data));
    }
    for (const reg::ValueRecord& value : contents.values) {
        if (value.type == reg::kRegDword) {
            char digits[16];
            std::snprintf(digits, sizeof digits, "%08X", DwordOf(value.data));
            write(value, "\"" + value.name + "\"=dword:" + digits);
        }
    }
    file += "\r\n";

    if (IncludeSubkeys) {
        for (const std::string& child : contents.children) {
            const std::string below = subKey.empty() ? child : subKey + "\\" + child;
            if (!ExportKey(path + "\\" + child, below, file, IncludeSubkeys, Output))
                return false;
        }
    }
    return true;
}

int clsRegistryAccess::ImportFromReg(const std::string& sRegFile) {
    m_notices.clear();
    m_createKeyIfDoesntExists = true;
    std::string bytes, error;
    if (ReadFileAtMost(sRegFile, reg::kMaxRegFileBytes, bytes, error) != FileReadStatus::Read)
        return 0;
    const std::string text = Windows1252ToUtf8(bytes);
    const std::vector<std::string_view> lines = SplitAtCrLf(text);
    if (ToUpperAscii(lines.front()) != "REGEDIT4")
        return 0;

    // Each key's section is written as one transaction: a commit costs several syncs of the
    // file, and a section cut off half-way is then not applied at all.
    struct Batch {
        Batch() { Registry::Process().BeginWriteBatch(); }
        ~Batch() { Registry::Process().EndWriteBatch(); }
        void Next() {
            Registry::Process().EndWriteBatch();
            Registry::Process().BeginWriteBatch();
        }
    } batch;
    bool inSection = false;
    std::string keyPath;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const reg::RegLine line = reg::ReadRegLine(lines[i]);
        switch (line.kind) {
            case reg::RegLine::Kind::Ignored:
                break;
            case reg::RegLine::Kind::Key:
                batch.Next();
                keyPath = line.path;
                inSection = true;
                break;
            case reg::RegLine::Kind::DeleteKey:
                batch.Next();
                KillKey(line.path);
                inSection = false;
                break;
            case reg::RegLine::Kind::Invalid:
                if (!inSection)
                    break;
                m_notices.push_back("Line " + std::to_string(i + 1) + ": " + line.problem +
                                    "; the import stopped there.");
                return 0;
            case reg::RegLine::Kind::Value:
                if (!inSection)
                    break;
                switch (line.action) {
                    case reg::RegLine::Action::DeleteValue:
                        KillValue(keyPath, line.name);
                        break;
                    case reg::RegLine::Action::Binary:
                        WriteBinary(keyPath, line.name, line.data);
                        break;
                    case reg::RegLine::Action::Dword:
                        WriteDWORD(keyPath, line.name, static_cast<std::int32_t>(line.number));
                        break;
                    case reg::RegLine::Action::Text:
                        WriteString(keyPath, line.name, line.data);
                        if (line.name == "@" && line.data.empty())
                            KillValue(keyPath, "");
                        break;
                }
                break;
        }
    }
    return 1;
}

}  // namespace quorvel
