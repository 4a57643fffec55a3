#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

#include "guide/GuideStore.h"
#include "guide/GuideTime.h"
#include "guide/XmltvReader.h"

namespace quorvel::guide {

// Unpacked guides past this are refused: the largest real guides are a few GB of XML.
constexpr std::uint64_t kMaxUnpackedGuide = 4ull * 1024 * 1024 * 1024;

struct ImportOptions {
    // Sets the days kept (7 back, 14 ahead).
    GuideTime now = 0;
    // Texts in this language win over the first of their kind.
    std::string language;
    std::uint64_t maxUnpacked = kMaxUnpackedGuide;
    ReaderLimits limits;
    // For an address: nothing arriving for this long ends the download.
    long stallTimeoutSeconds = 60;
    const std::atomic<bool>* cancel = nullptr;
};

struct ImportResult {
    enum class Outcome {
        Replaced,     // read whole; the store holds this copy now
        Unchanged,    // the server said the copy held is current
        KeptPartial,  // cut off half-way, no earlier copy: what was read whole is kept
        KeptEarlier,  // failed; the earlier copy stays
        Failed,       // failed, and there was nothing to keep
    };
    Outcome outcome = Outcome::Failed;
    // Why it failed or where it broke; empty when it was read whole.
    std::string error;
    std::uint64_t channels = 0;
    // Programmes stored (after the rules and the days kept).
    std::uint64_t programmes = 0;

    bool Ok() const { return outcome == Outcome::Replaced || outcome == Outcome::Unchanged; }
};

// True for an http or https address, false for a path.
bool IsGuideAddress(std::string_view source);

// Reads a guide (a path or an http/https address; plain XML, gzip or xz) into the store as a
// stream, never holding it whole: one thread reads, unpacks and parses, the calling thread
// stores. The guide's earlier copy is replaced in one transaction. An address whose copy is
// held is asked for with its validators, and a 304 answer keeps that copy.
ImportResult ImportGuide(GuideStore& store, std::string_view source, const ImportOptions& options);

}  // namespace quorvel::guide
