#pragma once

#include "registry/HiveSlot.h"
#include "registry/RegistryTypes.h"

#include <chrono>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::reg {

// The registry of this process: the per-user hive under HKEY_CURRENT_USER and the
// machine-wide hive under every other root, reached through key handles with the calls and
// status codes of the registry API. Sub-key paths are names separated by "\"; names and
// texts are UTF-8.
inline constexpr std::chrono::milliseconds kWindowLockWait{500};
inline constexpr std::chrono::milliseconds kToolLockWait{30000};

class Registry {
public:
    static Registry& Process();

    Status OpenKey(Hkey parent, std::string_view subKey, Access access, Hkey& result);
    // Opens the key, creating it and any missing parents; needs write access to the hive.
    Status CreateKey(Hkey parent, std::string_view subKey, Hkey& result);
    // Deletes `subKey` below `key` (the key itself when empty); a key with sub-keys stays.
    Status DeleteKey(Hkey key, std::string_view subKey);
    Status CloseKey(Hkey key);

    // Sub-keys by index, in name order without regard to case. The list is taken when index
    // 0 is asked for, so a walk sees one consistent list.
    Status EnumKey(Hkey key, std::uint32_t index, std::string& name);
    // Values by index, in the order they were first created.
    Status EnumValue(Hkey key, std::uint32_t index, std::string& name, std::uint32_t& type,
                     std::string& data);
    Status QueryValue(Hkey key, std::string_view name, std::uint32_t& type, std::string& data);
    Status SetValue(Hkey key, std::string_view name, std::uint32_t type, std::string_view data);
    Status DeleteValue(Hkey key, std::string_view name);

    // The writes between BeginWriteBatch and EndWriteBatch reach each hive file as one
    // transaction: together or not at all, with one commit instead of one each.
    void BeginWriteBatch();
    Status EndWriteBatch();

    // What went wrong with a hive file at the last failure (damaged file, read-only file).
    std::string LastError() const;
    // Closes the hive files; handles stay usable and reopen them on their next use.
    void CloseHives();
    void SetDamagedUserHivePolicy(DamagedHivePolicy policy);
    // How long a call waits when another process holds a hive locked, before it fails as
    // busy. Short by default, since the window waits on it; the tools wait longer.
    void SetLockWait(std::chrono::milliseconds wait);
    std::vector<std::string> TakeNotices();

private:
    struct KeyEntry {
        HiveKind kind = HiveKind::User;
        std::string rootName;   // short root name, e.g. "HKCU"
        KeyId id = 0;           // 0: the root itself
        std::size_t depth = 0;  // names below the root
        FileIdentity file;
        bool writable = false;
        bool childrenTaken = false;
        std::vector<std::string> children;
        bool valuesTaken = false;
        std::vector<ValueRecord> values;
    };

    Registry();
    Status Resolve(Hkey key, KeyEntry*& entry);
    // The parent's entry and the segments of a sub-key path below it, within the depth limit.
    Status ResolveBelow(Hkey parent, std::string_view subKey, KeyEntry*& entry,
                        std::vector<std::string_view>& segments);
    // The hive file and the key's id in it; `id` 0 with success means an empty root.
    Status Locate(KeyEntry& entry, bool forWrite, HiveFile*& file, KeyId& id);
    HiveSlot& Slot(HiveKind kind) { return kind == HiveKind::User ? m_user : m_machine; }
    Hkey NewHandle(KeyEntry entry);
    Status Remember(HiveKind kind, Status status, const HiveFile* file = nullptr);
    // An enumeration reads the key's names or values once: index 0 reads them afresh and
    // later indexes walk what was read.
    template <typename Item, typename Read>
    Status Snapshot(KeyEntry& entry, std::uint32_t index, bool& taken, std::vector<Item>& items,
                    Read read);

    mutable std::mutex m_mutex;
    HiveSlot m_user{HiveKind::User};
    HiveSlot m_machine{HiveKind::Machine};
    std::map<Hkey, KeyEntry> m_keys;
    std::map<Hkey, KeyEntry> m_roots;
    Hkey m_nextHandle = 0x100;
    std::string m_lastError;
};

// Splits a sub-key path at "\"; false for an empty name between two separators, a leading
// separator, a name longer than the registry allows or more names than a key can lie deep.
// A trailing separator is allowed.
bool SplitSubKey(std::string_view subKey, std::vector<std::string_view>& segments);

}  // namespace quorvel::reg
