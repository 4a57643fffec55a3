#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "guide/GuideTime.h"

namespace quorvel::guide {

// The texts a programme keeps, in this order. The episode is the on-screen number as written,
// else the xmltv_ns one made readable ("Season 3, Episode 5"), else the first of another
// system; the rating is the first one's value after its system ("FSK: 12").
enum ProgrammeText {
    kTitle,
    kSubTitle,
    kDescription,
    kCategory,
    kEpisode,
    kRating,
    kProgrammeTextCount
};

// Views into the reader's own buffers: valid only during the call that hands them over.
struct ParsedProgramme {
    std::string_view channel;
    GuideTime start = 0;
    std::optional<GuideTime> stop;
    std::string_view texts[kProgrammeTextCount];
};

struct ParsedChannel {
    std::string_view id;
    std::vector<std::string_view> displayNames;
};

class GuideSink {
public:
    virtual ~GuideSink() = default;
    // False stops the reading.
    virtual bool Channel(const ParsedChannel& channel) = 0;
    virtual bool Programme(const ParsedProgramme& programme) = 0;
};

struct ReaderLimits {
    // Longer texts (title, description...) are cut at a character's edge.
    std::size_t maxText = 8 * 1024;
    // Longer attributes (channel ids, times) are cut.
    std::size_t maxAttribute = 1024;
    // One tag, comment or attribute value may not be longer: the parser has to hold each
    // whole, so this keeps its memory flat.
    std::size_t maxToken = 16 * 1024 * 1024;
    std::size_t maxDisplayNames = 16;
};

// An XMLTV guide read as a stream with expat: bytes go in piece by piece, channels and
// programmes come out one at a time. Hostile input is bounded: no external entity or DTD is
// ever read, entity declarations are refused (real guides have none), and texts and
// attributes are capped. Programmes with a time that does not follow the rules, or a stop at
// or before their start, are left out here; a programme without stop comes out without one.
// An xmltv_ns episode number ("2.4.0/1": zero-based season, episode and part, each with an
// optional total, any of them empty) as "Season 3, Episode 5, Part 1 of 1" into `out`; false
// when it is malformed or empty.
bool ReadableEpisode(std::string_view ns, std::string& out);

class XmltvReader {
public:
    // `language`: texts in this language win over the first of their kind (empty: the first).
    XmltvReader(GuideSink& sink, std::string language = {}, ReaderLimits limits = {});
    ~XmltvReader();
    XmltvReader(const XmltvReader&) = delete;
    XmltvReader& operator=(const XmltvReader&) = delete;

    // False once the guide is broken or refused, or the sink stopped; Error() says why.
    bool Feed(std::string_view bytes);
    // The input is over: false when the guide is cut off or broken.
    bool Finish();

    // Set on failure: where it broke (line, byte of the unpacked guide) and why.
    const std::string& Error() const;
    // The guide was refused as hostile (an entity declaration, an over-long token), not only
    // cut off or broken.
    bool Refused() const;
    // The sink asked to stop.
    bool Stopped() const;
    std::uint64_t Channels() const;
    std::uint64_t Programmes() const;
    // Programmes left out for a bad time or a stop not after the start.
    std::uint64_t LeftOut() const;

    struct State;

private:
    std::unique_ptr<State> m_state;
};

}  // namespace quorvel::guide
