#include "registry/HiveSlot.h"

#include "registry/HiveLocations.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <system_error>

namespace quorvel::reg {
namespace {

bool GrantsWrite(const std::filesystem::path& path, const struct stat& info) {
    return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0 && ::access(path.c_str(), W_OK) == 0;
}

bool FolderGrantsWrite(const std::filesystem::path& folder) {
    struct stat info {};
    return ::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && GrantsWrite(folder, info);
}

std::filesystem::path FolderOf(const std::filesystem::path& path) {
    return path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
}

std::string TimeStamp() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    localtime_r(&now, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &parts);
    return text;
}

}  // namespace

void HiveSlot::SetLockWait(int milliseconds) {
    m_lockWaitMs = milliseconds;
    if (m_file)
        m_file->SetLockWait(milliseconds);
}

void HiveSlot::Close() {
    m_file.reset();
    m_identity = {};
}

std::vector<std::string> HiveSlot::TakeNotices() {
    std::vector<std::string> notices;
    notices.swap(m_notices);
    return notices;
}

std::filesystem::path HiveSlot::CurrentPath() {
    std::filesystem::path path = m_kind == HiveKind::User ? UserHivePath() : MachineHivePath();
    if (path != m_path) {
        Close();
        m_path = path;
    }
    return path;
}

bool HiveSlot::CanWrite() {
    const std::filesystem::path path = CurrentPath();
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        return S_ISREG(info.st_mode) && GrantsWrite(path, info) &&
               FolderGrantsWrite(FolderOf(path));
    }
    // The nearest folder that exists is where the missing ones would be made.
    std::filesystem::path folder = FolderOf(path);
    std::error_code ec;
    while (!std::filesystem::exists(folder, ec) && folder.has_relative_path()) {
        folder = folder.parent_path();
    }
    return FolderGrantsWrite(folder.empty() ? std::filesystem::path(".") : folder);
}

Status HiveSlot::ForRead(HiveFile*& file) {
    return Acquire(false, file);
}
Status HiveSlot::ForWrite(HiveFile*& file) {
    const Status status = Acquire(true, file);
    // A batch that cannot start leaves each write to commit by itself.
    if (status == kErrorSuccess && m_batching && !file->InBatch())
        file->BeginBatch();
    return status;
}

Status HiveSlot::EndBatch() {
    m_batching = false;
    return m_file ? m_file->EndBatch() : kErrorSuccess;
}

Status HiveSlot::Fail(Status status, const std::string& message) {
    m_lastError = m_path.string() + ": " + message;
    return status;
}

bool HiveSlot::SetAside(const std::filesystem::path& path, const std::string& reason) {
    std::filesystem::path aside = path;
    aside += ".damaged-" + TimeStamp();
    for (int n = 2; std::filesystem::exists(aside); ++n) {
        aside = path;
        aside += ".damaged-" + TimeStamp() + "-" + std::to_string(n);
    }
    std::error_code ec;
    std::filesystem::rename(path, aside, ec);
    if (ec)
        return false;
    // A journal left beside the damaged file belongs to it, not to the new hive.
    std::filesystem::path journal = path;
    journal += "-journal";
    std::filesystem::path journalAside = aside;
    journalAside += "-journal";
    // An empty one (a finished write leaves it so) holds nothing of the old file.
    if (std::filesystem::file_size(journal, ec) == 0 && !ec) {
        std::filesystem::remove(journal, ec);
    } else {
        std::filesystem::rename(journal, journalAside, ec);
    }
    for (const char* suffix : {"-wal", "-shm"}) {
        std::filesystem::path log = path;
        log += suffix;
        std::filesystem::path logAside = aside;
        logAside += suffix;
        std::filesystem::rename(log, logAside, ec);
    }
    m_notices.push_back("The settings file " + path.string() + " was damaged (" + reason +
                        "); it was kept as " + aside.string() +
                        " and the program starts with default settings.");
    std::fprintf(stderr, "quorvel: %s\n", m_notices.back().c_str());
    return true;
}

Status HiveSlot::Acquire(bool forWrite, HiveFile*& file) {
    file = nullptr;
    const std::filesystem::path path = CurrentPath();
    for (int attempt = 0; attempt < 2; ++attempt) {
        struct stat info {};
        const bool exists = ::stat(path.c_str(), &info) == 0;
        if (exists && !S_ISREG(info.st_mode))
            return Fail(kErrorAccessDenied, "not a regular file");
        const FileIdentity identity{exists ? info.st_dev : 0, exists ? info.st_ino : 0};
        if (!exists || identity != m_identity)
            Close();

        const std::filesystem::path folder = FolderOf(path);
        if (!exists) {
            if (!forWrite)
                return kErrorSuccess;
            std::error_code ec;
            std::filesystem::create_directories(folder, ec);
            if (ec)
                return Fail(kErrorAccessDenied, "cannot create the folder: " + ec.message());
        }
        // A read through an open connection needs no more checks (the common case).
        if (m_file && !forWrite && m_file->GetMode() == HiveFile::Mode::ReadWrite) {
            file = m_file.get();
            return kErrorSuccess;
        }
        // The journal lives beside the file, so the folder must take writes too.
        const bool writable = (!exists || GrantsWrite(path, info)) && FolderGrantsWrite(folder);
        if (forWrite && !writable) {
            return Fail(kErrorAccessDenied, "the settings file or its folder is read-only");
        }
        if (m_file && writable && m_file->GetMode() == HiveFile::Mode::ReadOnly)
            Close();
        if (m_file) {
            file = m_file.get();
            return kErrorSuccess;
        }

        Status status = kErrorSuccess;
        HiveFile::OpenFailure failure = HiveFile::OpenFailure::None;
        std::string message;
        std::vector<std::string> notes;
        const auto mode = writable ? HiveFile::Mode::ReadWrite : HiveFile::Mode::ReadOnly;
        m_file = HiveFile::Open(path, mode, m_lockWaitMs, status, failure, message, notes);
        for (const std::string& note : notes) {
            m_notices.push_back(path.string() + ": " + note);
            std::fprintf(stderr, "quorvel: %s\n", m_notices.back().c_str());
        }
        if (!m_file) {
            if (failure == HiveFile::OpenFailure::Damaged && m_kind == HiveKind::User &&
                m_policy == DamagedHivePolicy::SetAside && attempt == 0 &&
                SetAside(path, message)) {
                continue;
            }
            return Fail(status, message);
        }
        struct stat opened {};
        if (::stat(path.c_str(), &opened) == 0)
            m_identity = {opened.st_dev, opened.st_ino};
        file = m_file.get();
        return kErrorSuccess;
    }
    return Fail(kErrorBadDb, "cannot replace the damaged file");
}

}  // namespace quorvel::reg
