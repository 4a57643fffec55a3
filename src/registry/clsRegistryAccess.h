#pragma once

#include "registry/RegistryTypes.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace quorvel {

// Reads, writes, enumerates and deletes registry keys and values named by one text path
// ("HKCU\Software\Quorvel" or "HKEY_CURRENT_USER\Software\Quorvel"), and moves keys to and
// from REGEDIT4 files. Failures show only in the results: a 0 handle, false, -1 or the
// caller's default. Texts are UTF-8.
class clsRegistryAccess {
public:
    // Non-zero on success: the handle of the key used (already closed again).
    using Handle = std::int32_t;
    // A listed value: text for REG_SZ and REG_BINARY (hex text), a number for REG_DWORD,
    // nothing for every other type.
    using Value = std::variant<std::monostate, std::string, std::int32_t>;
    // Shown once per exported key, with the key's path (the UI lets pending events run there).
    using Progress = std::function<void(const std::string& path)>;

    bool CreateKeyIfDoesntExists() const { return m_createKeyIfDoesntExists; }
    void CreateKeyIfDoesntExists(bool offon) { m_createKeyIfDoesntExists = offon; }

    Handle CreateKey(std::string_view sPath);
    // Non-zero when the key could be opened, whether or not it was deleted (a key that has
    // sub-keys stays).
    Handle KillKey(std::string_view sPath);
    bool KeyExists(std::string_view sPath);
    long EnumKeys(std::string_view sPath, std::vector<std::string>& Key);
    bool HaveSubkey(std::string_view sPath);

    // sName "@" writes the default value.
    Handle WriteString(std::string_view sPath, std::string_view sName, std::string_view sValue);
    std::string ReadString(std::string_view sPath, std::string_view sName,
                           std::string_view sDefault);
    Handle WriteDWORD(std::string_view sPath, std::string_view sName, std::int32_t lValue);
    std::int32_t ReadDWORD(std::string_view sPath, std::string_view sName, std::int32_t lDefault);
    Handle WriteBinary(std::string_view sPath, std::string_view sName, std::string_view sValue);
    std::string ReadBinary(std::string_view sPath, std::string_view sName,
                           std::string_view sDefault);
    Handle KillValue(std::string_view sPath, std::string_view sName);
    bool ValueExists(std::string_view sPath, std::string_view sName);
    // OnlyType -1 lists every value. `types`, when given, receives each listed value's type.
    long EnumValues(std::string_view sPath, std::vector<std::string>& sName,
                    std::vector<Value>& sValue, long OnlyType = -1,
                    std::vector<std::uint32_t>* types = nullptr);

    // 1 when the key (and, if asked, its sub-keys) went whole to the new file; 0 otherwise,
    // also when the file exists already. A value (or key) that the file cannot hold so that
    // the import gives it back unchanged is left out of the file, with a notice through
    // Output and in Notices(), and the result is 0.
    int ExportToReg(std::string_view sPath, const std::string& sRegFile, bool IncludeSubkeys,
                    const Progress& Output = {});
    // 1 when the whole file was applied; 0 for a missing file or another header, and for a
    // line that cannot be applied as written (the import stops there, with a notice).
    int ImportFromReg(const std::string& sRegFile);
    // What the last export left out, or why the last import stopped.
    const std::vector<std::string>& Notices() const { return m_notices; }

    // Hex text ("41 42" or "4142") to raw bytes; the cleaned text goes back into sBin.
    static std::string StrToBin(std::string& sBin);
    static std::string StrToBin(std::string_view sBin);
    // Raw bytes to hex text: a blank and two upper-case digits per byte.
    static std::string BinToStr(std::string_view sStr);
    static bool isBinValid(std::string_view sBin);

private:
    struct Parsed {
        reg::Hkey root = reg::kNoKey;
        std::string subKey;
    };
    Parsed ParseKeyPath(std::string_view path) const;
    reg::Status Open(std::string_view sPath, reg::Access access, reg::Hkey& key);
    // Opens the key for reading, queries one value and closes the key again.
    bool QueryValue(std::string_view sPath, std::string_view sName, std::uint32_t& type,
                    std::string& data);
    bool EnsureKeyForWrite(std::string_view sPath);
    Handle WriteValue(std::string_view sPath, std::string_view sName, std::uint32_t type,
                      std::string_view data);
    // `path` as the caller wrote it (it gives the key line), `subKey` the key really read.
    bool ExportKey(const std::string& path, const std::string& subKey, std::string& file,
                   bool IncludeSubkeys, const Progress& Output);

    bool m_createKeyIfDoesntExists = true;
    std::vector<std::string> m_notices;
};

}  // namespace quorvel
