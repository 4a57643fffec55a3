#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace quorvel::reg {

// Key handles: the seven roots have the fixed numbers the registry gives them; keys
// opened below them get other non-zero numbers. 0 is never a valid handle.
using Hkey = std::uint32_t;
inline constexpr Hkey kNoKey = 0;
inline constexpr Hkey kHkeyClassesRoot = 0x80000000u;
inline constexpr Hkey kHkeyCurrentUser = 0x80000001u;
inline constexpr Hkey kHkeyLocalMachine = 0x80000002u;
inline constexpr Hkey kHkeyUsers = 0x80000003u;
inline constexpr Hkey kHkeyPerformanceData = 0x80000004u;
inline constexpr Hkey kHkeyCurrentConfig = 0x80000005u;
inline constexpr Hkey kHkeyDynData = 0x80000006u;

struct RootName {
    std::string_view longName;
    std::string_view shortName;
    Hkey handle;
};
inline constexpr RootName kRootNames[] = {
    {"HKEY_CLASSES_ROOT", "HKCR", kHkeyClassesRoot},
    {"HKEY_CURRENT_USER", "HKCU", kHkeyCurrentUser},
    {"HKEY_LOCAL_MACHINE", "HKLM", kHkeyLocalMachine},
    {"HKEY_USERS", "HKUS", kHkeyUsers},
    {"HKEY_PERFORMANCE_DATA", "HKPD", kHkeyPerformanceData},
    {"HKEY_CURRENT_CONFIG", "HKCC", kHkeyCurrentConfig},
    {"HKEY_DYN_DATA", "HKDD", kHkeyDynData},
};

inline constexpr bool IsRootKey(Hkey key) {
    return key >= kHkeyClassesRoot && key <= kHkeyDynData;
}

// Value types, numbered as the registry numbers them.
inline constexpr std::uint32_t kRegNone = 0;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegMultiSz = 7;

// Status codes, numbered as the registry numbers them (callers add them to error numbers).
using Status = std::int32_t;
inline constexpr Status kErrorSuccess = 0;
inline constexpr Status kErrorFileNotFound = 2;
inline constexpr Status kErrorAccessDenied = 5;
inline constexpr Status kErrorInvalidHandle = 6;
inline constexpr Status kErrorInvalidParameter = 87;
inline constexpr Status kErrorBusy = 170;
inline constexpr Status kErrorMoreData = 234;
inline constexpr Status kErrorNoMoreItems = 259;
inline constexpr Status kErrorBadDb = 1009;  // the hive file is damaged or not a hive
inline constexpr Status kErrorRegistryIoFailed = 1016;
inline constexpr Status kErrorKeyDeleted = 1018;

enum class Access { Read, Write, All, Maximum };

// Longest key name and value name the store accepts, in characters.
inline constexpr std::size_t kMaxKeyNameLength = 255;
inline constexpr std::size_t kMaxValueNameLength = 16383;
// Deepest key below a root, as on Windows; also bounds the recursion of a sub-key walk.
inline constexpr std::size_t kMaxKeyDepth = 512;
// Largest REGEDIT4 file an import reads; a settings export is a few KB.
inline constexpr std::size_t kMaxRegFileBytes = 64 * 1024 * 1024;

}  // namespace quorvel::reg
