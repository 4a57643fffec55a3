#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "guide/GuideTime.h"
#include "guide/XmltvReader.h"
#include "registry/Sqlite.h"

namespace quorvel::guide {

struct StoredProgramme {
    GuideTime start = 0;
    GuideTime stop = 0;
    std::string texts[kProgrammeTextCount];
};

// A channel of a list as the guide knows it: its guide channel id and how far its times
// move (tvg-shift and the global offset, TimeShift's seconds).
struct ShiftedChannel {
    std::string id;
    GuideTime shift = 0;
};

struct NowAndNext {
    std::optional<StoredProgramme> now;
    std::optional<StoredProgramme> next;  // the first that starts after the moment asked
};

// One guide as the store holds it.
struct StoredGuide {
    std::string source;
    bool held = false;  // false: never read whole, only its last error is known
    std::uint64_t channels = 0;
    std::uint64_t programmes = 0;
    GuideTime firstStart = 0;
    GuideTime lastStop = 0;
    GuideTime refreshed = 0;  // when it was last replaced
    GuideTime checked = 0;    // when it was last asked for, whatever came of it
    std::string lastError;    // of the last refresh; empty when that went well
    // The server's validators of the copy held, for a conditional refresh.
    std::string etag;
    std::string lastModified;
};

// Whether a guide is due to be asked for again: one never read whole always is; one held
// once `interval` has passed since it was last asked for, or an hour after a failure.
bool RefreshDue(const StoredGuide& guide, GuideTime now, GuideTime interval = 12 * 3600);

struct StoredChannel {
    std::string id;
    std::vector<std::string> displayNames;
};

// The days kept: programmes that overlap [from, to).
struct KeptSpan {
    GuideTime from = 0;
    GuideTime to = 0;
};
KeptSpan KeptAround(GuideTime now);

// The store's usual place: quorvel/guide.sqlite in $XDG_CACHE_HOME (when absolute), else in
// ~/.cache.
std::filesystem::path DefaultGuideStorePath();

// Every guide's programmes in one SQLite file. Each guide is replaced whole in one
// transaction: a reader sees the old guide or the new one, never a mix, and a failed refresh
// leaves the old one. Programmes are indexed by channel and start. One thread at a time.
class GuideStore {
public:
    static std::unique_ptr<GuideStore> Open(const std::filesystem::path& path, std::string& error);
    ~GuideStore();
    GuideStore(const GuideStore&) = delete;
    GuideStore& operator=(const GuideStore&) = delete;

    // One guide's new copy being written. Nothing of it is seen until Commit; dropping it
    // unfinished leaves the store as it was.
    class Import {
    public:
        virtual ~Import() = default;
        // Whether the store holds an earlier copy of this guide.
        virtual bool HasEarlierCopy() const = 0;
        virtual bool AddChannel(std::string_view id,
                                const std::vector<std::string_view>& displayNames) = 0;
        // Texts empty when the guide has none; stop absent when the guide gives none.
        virtual bool AddProgramme(std::string_view channel, GuideTime start,
                                  std::optional<GuideTime> stop,
                                  const std::string_view (&texts)[kProgrammeTextCount]) = 0;
        // Ends missing stops, drops what lies outside the days kept, builds the index, and
        // puts the copy in place of the earlier one. `error` is kept as the guide's last error
        // (a copy kept from a guide cut off half-way).
        virtual bool Commit(std::string_view error) = 0;
        virtual const std::string& Error() const = 0;
        virtual std::uint64_t Programmes() const = 0;
        // The server's validators of this copy, kept with it by Commit.
        virtual void SetValidators(std::string etag, std::string lastModified) = 0;
    };
    // `now` sets the days kept.
    std::unique_ptr<Import> BeginImport(std::string_view source, GuideTime now);
    // Notes a failed refresh on the guide, whose programmes stay as they were.
    bool RecordFailure(std::string_view source, std::string_view error, GuideTime now);
    // Notes that the server said the copy held is current.
    bool RecordUnchanged(std::string_view source, GuideTime now);
    std::optional<StoredGuide> Guide(std::string_view source);

    std::vector<StoredGuide> Guides();
    // Every channel of every guide, declared or only named by its programmes.
    std::vector<StoredChannel> Channels();
    // The programme on air at `at` per guide channel id, in the order of `ids`.
    std::vector<std::optional<StoredProgramme>> OnAir(const std::vector<std::string>& ids,
                                                      GuideTime at);
    // On air and next at `at` for the rows of a list, their times moved by each shift. Only
    // the title of each is read.
    std::vector<NowAndNext> NowAndNextOf(const std::vector<ShiftedChannel>& channels, GuideTime at);
    // The guide and its programmes go from the store.
    bool RemoveGuide(std::string_view source);
    // The channel's programmes overlapping [from, to), by start, then guide order.
    std::vector<StoredProgramme> Programmes(std::string_view id, GuideTime from, GuideTime to);
    // Programmes overlapping [from, to) whose title holds `text` (ASCII letters in any case),
    // by start; at most `limit` of them. An empty text finds nothing.
    struct FoundProgramme {
        std::string channel;
        StoredProgramme programme;
    };
    std::vector<FoundProgramme> FindTitles(std::string_view text, GuideTime from, GuideTime to,
                                           std::size_t limit);

    const std::string& Error() const { return m_error; }

    struct Queries;

private:
    explicit GuideStore(sqlite::DatabasePtr db);
    Queries& CurrentQueries();

    sqlite::DatabasePtr m_db;
    std::string m_error;
    std::unique_ptr<Queries> m_queries;
};

}  // namespace quorvel::guide
