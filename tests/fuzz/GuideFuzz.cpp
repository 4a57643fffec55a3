// The guide reader and store: whatever the bytes (plain, gzip or xz XML), every programme
// stored follows the rules: it starts before it stops, overlaps the days kept, and its texts
// are capped, trimmed, and free of control characters and runs of white space.
#include <cstdint>
#include <limits>
#include <string>

#include "FuzzCheck.h"
#include "FuzzTempFolder.h"
#include "files/FileIo.h"
#include "guide/GuideImport.h"
#include "guide/GuideStore.h"

using namespace quorvel;
using namespace quorvel::guide;

namespace {

constexpr GuideTime kNow = 1796731200;  // 2026-12-08 12:00 UTC

void CheckText(const std::string& text, std::size_t cap) {
    FUZZ_CHECK(text.size() <= cap);
    FUZZ_CHECK(text.empty() || (text.front() != ' ' && text.back() != ' '));
    FUZZ_CHECK(text.find("  ") == std::string::npos);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        FUZZ_CHECK(c >= 0x20 && c != 0x7F);
        if (c == 0xC2 && i + 1 < text.size()) {
            const auto next = static_cast<unsigned char>(text[i + 1]);
            FUZZ_CHECK(next < 0x80 || next > 0x9F);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const auto folder = fuzz::TempFolder();
    static std::unique_ptr<GuideStore> store = [] {
        std::string error;
        return GuideStore::Open(folder / "guide.sqlite", error);
    }();
    FUZZ_CHECK(store);
    const auto path = folder / "guide.xml";
    std::string error;
    FUZZ_CHECK(WriteFileAtomically(path, {reinterpret_cast<const char*>(data), size}, error));

    ImportOptions options;
    options.now = kNow;
    options.language = "en";
    options.maxUnpacked = 64 << 20;
    const ImportResult result = ImportGuide(*store, path.string(), options);
    FUZZ_CHECK(result.Ok() == result.error.empty());

    const KeptSpan span = KeptAround(kNow);
    std::uint64_t stored = 0;
    constexpr GuideTime kFar = std::numeric_limits<GuideTime>::max() / 4;
    for (const auto& channel : store->Channels()) {
        FUZZ_CHECK(!channel.id.empty() && channel.id.size() <= options.limits.maxAttribute);
        GuideTime previous = -kFar;
        for (const auto& programme : store->Programmes(channel.id, -kFar, kFar)) {
            ++stored;
            FUZZ_CHECK(programme.start < programme.stop);
            FUZZ_CHECK(programme.stop > span.from && programme.start < span.to);
            FUZZ_CHECK(programme.start >= previous);
            previous = programme.start;
            for (const auto& text : programme.texts)
                CheckText(text, options.limits.maxText);
            // What is on air at its start is one that started then or later in the file.
            const auto onAir = store->OnAir({channel.id}, programme.start);
            FUZZ_CHECK(onAir[0] && onAir[0]->start == programme.start);
        }
    }
    // The store holds this guide's programmes, or the earlier copy's when this one failed.
    static std::uint64_t held = 0;
    switch (result.outcome) {
        case ImportResult::Outcome::Replaced:
        case ImportResult::Outcome::KeptPartial:
            FUZZ_CHECK(stored == result.programmes);
            break;
        case ImportResult::Outcome::Unchanged:
        case ImportResult::Outcome::KeptEarlier:
            FUZZ_CHECK(stored == held);
            break;
        case ImportResult::Outcome::Failed:
            FUZZ_CHECK(stored == 0);
            break;
    }
    held = stored;
    return 0;
}
