#include "registry/Registry.h"

#include "registry/HiveLocations.h"
#include "registry/NameFold.h"

namespace quorvel::reg {
namespace {

std::string_view ShortRootName(Hkey root) {
    for (const RootName& name : kRootNames) {
        if (name.handle == root)
            return name.shortName;
    }
    return {};
}

}  // namespace

bool SplitSubKey(std::string_view subKey, std::vector<std::string_view>& segments) {
    segments.clear();
    if (!subKey.empty() && subKey.back() == '\\')
        subKey.remove_suffix(1);
    if (subKey.empty())
        return true;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = subKey.find('\\', start);
        const std::string_view name = subKey.substr(start, end - start);
        if (name.empty() || CountCharacters(name) > kMaxKeyNameLength ||
            segments.size() == kMaxKeyDepth)
            return false;
        segments.push_back(name);
        if (end == std::string_view::npos)
            return true;
        start = end + 1;
    }
}

Registry::Registry() {
    SetLockWait(kWindowLockWait);
}

void Registry::SetLockWait(std::chrono::milliseconds wait) {
    std::lock_guard lock(m_mutex);
    const int ms = static_cast<int>(wait.count());
    m_user.SetLockWait(ms);
    m_machine.SetLockWait(ms);
}

void Registry::BeginWriteBatch() {
    std::lock_guard lock(m_mutex);
    m_user.BeginBatch();
    m_machine.BeginBatch();
}

Status Registry::EndWriteBatch() {
    std::lock_guard lock(m_mutex);
    const Status user = m_user.EndBatch();
    const Status machine = m_machine.EndBatch();
    return user != kErrorSuccess ? user : machine;
}

Registry& Registry::Process() {
    static Registry registry;
    return registry;
}

std::string Registry::LastError() const {
    std::lock_guard lock(m_mutex);
    return m_lastError;
}

void Registry::CloseHives() {
    std::lock_guard lock(m_mutex);
    m_user.Close();
    m_machine.Close();
}

void Registry::SetDamagedUserHivePolicy(DamagedHivePolicy policy) {
    std::lock_guard lock(m_mutex);
    m_user.SetDamagedPolicy(policy);
}

std::vector<std::string> Registry::TakeNotices() {
    std::lock_guard lock(m_mutex);
    std::vector<std::string> notices = m_user.TakeNotices();
    for (std::string& notice : m_machine.TakeNotices())
        notices.push_back(std::move(notice));
    return notices;
}

Status Registry::Remember(HiveKind kind, Status status, const HiveFile* file) {
    if (status == kErrorSuccess || status == kErrorFileNotFound || status == kErrorNoMoreItems) {
        return status;
    }
    if (!file) {
        const std::string& slotError = Slot(kind).LastError();
        m_lastError = slotError.empty() ? "registry status " + std::to_string(status) : slotError;
        return status;
    }
    std::string reason;
    switch (status) {
        case kErrorBusy:
            reason = "another program kept the file locked too long";
            break;
        case kErrorAccessDenied:
            reason = "access denied";
            break;
        case kErrorKeyDeleted:
            reason = "the key has been deleted";
            break;
        case kErrorBadDb:
            reason = "the file is damaged (" + file->LastMessage() + ")";
            break;
        default:
            reason = file->LastMessage();
    }
    m_lastError =
        (kind == HiveKind::User ? UserHivePath() : MachineHivePath()).string() + ": " + reason;
    return status;
}

Status Registry::Resolve(Hkey key, KeyEntry*& entry) {
    if (IsRootKey(key)) {
        auto [it, added] = m_roots.try_emplace(key);
        if (added) {
            it->second.kind = key == kHkeyCurrentUser ? HiveKind::User : HiveKind::Machine;
            it->second.rootName = std::string(ShortRootName(key));
            it->second.writable = true;
        }
        entry = &it->second;
        return kErrorSuccess;
    }
    const auto it = m_keys.find(key);
    if (it == m_keys.end())
        return kErrorInvalidHandle;
    entry = &it->second;
    return kErrorSuccess;
}

Status Registry::Locate(KeyEntry& entry, bool forWrite, HiveFile*& file, KeyId& id) {
    HiveSlot& slot = Slot(entry.kind);
    const Status status = forWrite ? slot.ForWrite(file) : slot.ForRead(file);
    if (status != kErrorSuccess)
        return status;
    if (entry.id != 0) {
        if (!file || slot.Identity() != entry.file)
            return kErrorKeyDeleted;
        id = entry.id;
        return kErrorSuccess;
    }
    id = 0;
    if (!file)
        return kErrorSuccess;
    const Status root = file->RootId(entry.rootName, id);
    return root == kErrorFileNotFound ? kErrorSuccess : root;
}

Hkey Registry::NewHandle(KeyEntry entry) {
    Hkey handle = m_nextHandle++;
    // Never 0 and never one of the root numbers.
    while (handle == kNoKey || IsRootKey(handle) || m_keys.count(handle) != 0) {
        handle = m_nextHandle++;
    }
    m_keys.emplace(handle, std::move(entry));
    return handle;
}

Status Registry::ResolveBelow(Hkey parent, std::string_view subKey, KeyEntry*& entry,
                              std::vector<std::string_view>& segments) {
    if (const Status status = Resolve(parent, entry); status != kErrorSuccess)
        return status;
    if (!SplitSubKey(subKey, segments) || entry->depth + segments.size() > kMaxKeyDepth)
        return kErrorInvalidParameter;
    return kErrorSuccess;
}

Status Registry::OpenKey(Hkey parent, std::string_view subKey, Access access, Hkey& result) {
    std::lock_guard lock(m_mutex);
    result = kNoKey;
    KeyEntry* entry = nullptr;
    std::vector<std::string_view> segments;
    if (const Status status = ResolveBelow(parent, subKey, entry, segments);
        status != kErrorSuccess)
        return status;
    const HiveKind kind = entry->kind;
    HiveFile* file = nullptr;
    KeyId id = 0;
    if (const Status status = Locate(*entry, false, file, id); status != kErrorSuccess) {
        return Remember(kind, status);
    }
    if (!segments.empty()) {
        if (id == 0)
            return kErrorFileNotFound;
        auto snapshot = file->ReadSnapshot();
        for (std::string_view segment : segments) {
            if (const Status status = file->FindChild(id, segment, id); status != kErrorSuccess) {
                return Remember(kind, status, file);
            }
        }
    }
    // Only a key opened for writing needs to know whether the hive takes writes.
    const bool writable = access != Access::Read && Slot(kind).CanWrite();
    if ((access == Access::Write || access == Access::All) && !writable) {
        m_lastError = "the key cannot be opened for writing: the settings file is read-only";
        return kErrorAccessDenied;
    }
    KeyEntry opened;
    opened.kind = kind;
    opened.rootName = entry->rootName;
    opened.id = segments.empty() ? entry->id : id;
    opened.depth = entry->depth + segments.size();
    opened.file = segments.empty() ? entry->file : Slot(kind).Identity();
    opened.writable = access != Access::Read && writable;
    result = NewHandle(std::move(opened));
    return kErrorSuccess;
}

Status Registry::CreateKey(Hkey parent, std::string_view subKey, Hkey& result) {
    std::lock_guard lock(m_mutex);
    result = kNoKey;
    KeyEntry* entry = nullptr;
    std::vector<std::string_view> segments;
    if (const Status status = ResolveBelow(parent, subKey, entry, segments);
        status != kErrorSuccess)
        return status;
    if (!entry->writable)
        return kErrorAccessDenied;
    const HiveKind kind = entry->kind;
    HiveFile* file = nullptr;
    KeyId start = 0;
    if (const Status status = Locate(*entry, true, file, start); status != kErrorSuccess) {
        return Remember(kind, status);
    }
    KeyId id = 0;
    const Status status = file->CreatePath(entry->rootName, entry->id, segments, id);
    if (status != kErrorSuccess)
        return Remember(kind, status, file);
    KeyEntry created;
    created.kind = kind;
    created.rootName = entry->rootName;
    created.id = (entry->id == 0 && segments.empty()) ? 0 : id;
    created.depth = entry->depth + segments.size();
    created.file = Slot(kind).Identity();
    created.writable = true;
    result = NewHandle(std::move(created));
    return kErrorSuccess;
}

Status Registry::DeleteKey(Hkey key, std::string_view subKey) {
    std::lock_guard lock(m_mutex);
    KeyEntry* entry = nullptr;
    if (const Status status = Resolve(key, entry); status != kErrorSuccess)
        return status;
    std::vector<std::string_view> segments;
    if (!SplitSubKey(subKey, segments))
        return kErrorInvalidParameter;
    // A root is never deleted.
    if (entry->id == 0 && segments.empty())
        return kErrorAccessDenied;
    const HiveKind kind = entry->kind;
    HiveFile* file = nullptr;
    KeyId id = 0;
    if (const Status status = Locate(*entry, true, file, id); status != kErrorSuccess) {
        return Remember(kind, status);
    }
    for (std::string_view segment : segments) {
        if (id == 0)
            return kErrorFileNotFound;
        if (const Status status = file->FindChild(id, segment, id); status != kErrorSuccess) {
            return Remember(kind, status, file);
        }
    }
    return Remember(kind, file->DeleteKey(id), file);
}

Status Registry::CloseKey(Hkey key) {
    std::lock_guard lock(m_mutex);
    if (IsRootKey(key))
        return kErrorSuccess;
    return m_keys.erase(key) != 0 ? kErrorSuccess : kErrorInvalidHandle;
}

template <typename Item, typename Read>
Status Registry::Snapshot(KeyEntry& entry, std::uint32_t index, bool& taken,
                          std::vector<Item>& items, Read read) {
    if (index != 0 && taken)
        return kErrorSuccess;
    HiveFile* file = nullptr;
    KeyId id = 0;
    if (const Status status = Locate(entry, false, file, id); status != kErrorSuccess)
        return Remember(entry.kind, status);
    items.clear();
    if (id != 0) {
        if (const Status status = read(*file, id, items); status != kErrorSuccess)
            return Remember(entry.kind, status, file);
    }
    taken = true;
    return kErrorSuccess;
}

Status Registry::EnumKey(Hkey key, std::uint32_t index, std::string& name) {
    std::lock_guard lock(m_mutex);
    KeyEntry* entry = nullptr;
    if (const Status status = Resolve(key, entry); status != kErrorSuccess)
        return status;
    const Status read = Snapshot(*entry, index, entry->childrenTaken, entry->children,
                                 [](HiveFile& file, KeyId id, std::vector<std::string>& names) {
                                     return file.ChildNames(id, names);
                                 });
    if (read != kErrorSuccess)
        return read;
    if (index >= entry->children.size())
        return kErrorNoMoreItems;
    name = entry->children[index];
    return kErrorSuccess;
}

Status Registry::EnumValue(Hkey key, std::uint32_t index, std::string& name, std::uint32_t& type,
                           std::string& data) {
    std::lock_guard lock(m_mutex);
    KeyEntry* entry = nullptr;
    if (const Status status = Resolve(key, entry); status != kErrorSuccess)
        return status;
    const Status read = Snapshot(*entry, index, entry->valuesTaken, entry->values,
                                 [](HiveFile& file, KeyId id, std::vector<ValueRecord>& values) {
                                     return file.Values(id, values);
                                 });
    if (read != kErrorSuccess)
        return read;
    if (index >= entry->values.size())
        return kErrorNoMoreItems;
    const ValueRecord& value = entry->values[index];
    name = value.name;
    type = value.type;
    data = value.data;
    return kErrorSuccess;
}

Status Registry::QueryValue(Hkey key, std::string_view name, std::uint32_t& type,
                            std::string& data) {
    std::lock_guard lock(m_mutex);
    KeyEntry* entry = nullptr;
    if (const Status status = Resolve(key, entry); status != kErrorSuccess)
        return status;
    HiveFile* file = nullptr;
    KeyId id = 0;
    if (const Status status = Locate(*entry, false, file, id); status != kErrorSuccess) {
        return Remember(entry->kind, status);
    }
    if (id == 0)
        return kErrorFileNotFound;
    return Remember(entry->kind, file->GetValue(id, name, type, data), file);
}

Status Registry::SetValue(Hkey key, std::string_view name, std::uint32_t type,
                          std::string_view data) {
    std::lock_guard lock(m_mutex);
    KeyEntry* entry = nullptr;
    if (const Status status = Resolve(key, entry); status != kErrorSuccess)
        return status;
    if (!entry->writable)
        return kErrorAccessDenied;
    if (CountCharacters(name) > kMaxValueNameLength)
        return kErrorInvalidParameter;
    HiveFile* file = nullptr;
    KeyId id = 0;
    if (const Status status = Locate(*entry, true, file, id); status != kErrorSuccess) {
        return Remember(entry->kind, status);
    }
    if (id == 0) {
        // The first value on a root makes its row.
        if (const Status status = file->CreatePath(entry->rootName, 0, {}, id);
            status != kErrorSuccess) {
            return Remember(entry->kind, status, file);
        }
    }
    return Remember(entry->kind, file->SetValue(id, name, type, data), file);
}

Status Registry::DeleteValue(Hkey key, std::string_view name) {
    std::lock_guard lock(m_mutex);
    KeyEntry* entry = nullptr;
    if (const Status status = Resolve(key, entry); status != kErrorSuccess)
        return status;
    if (!entry->writable)
        return kErrorAccessDenied;
    HiveFile* file = nullptr;
    KeyId id = 0;
    if (const Status status = Locate(*entry, true, file, id); status != kErrorSuccess) {
        return Remember(entry->kind, status);
    }
    if (id == 0)
        return kErrorFileNotFound;
    return Remember(entry->kind, file->DeleteValue(id, name), file);
}

}  // namespace quorvel::reg
