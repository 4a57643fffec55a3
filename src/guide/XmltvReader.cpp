#include "guide/XmltvReader.h"

// Debian's expat is built with DTD support; the header shows the amplification limits only
// when told so (a library without them would fail to link, not run unguarded).
#ifndef XML_DTD
#define XML_DTD 1
#endif
#include <expat.h>

#include <cstring>
#include <limits>

namespace quorvel::guide {
namespace {

struct ParserFree {
    void operator()(XML_ParserStruct* parser) const { XML_ParserFree(parser); }
};
using ParserPtr = std::unique_ptr<XML_ParserStruct, ParserFree>;

// Expat hands text over in pieces of at most this much, so an int never overflows.
constexpr std::size_t kFeedPiece = 1 << 20;

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// "en" is shown for "en", "EN" and "en-GB".
bool LanguageMatches(std::string_view lang, std::string_view wanted) {
    if (wanted.empty() || lang.size() < wanted.size())
        return false;
    for (std::size_t i = 0; i < wanted.size(); ++i) {
        if (Lower(lang[i]) != Lower(wanted[i]))
            return false;
    }
    return lang.size() == wanted.size() || lang[wanted.size()] == '-' || lang[wanted.size()] == '_';
}

// Drops an unfinished UTF-8 sequence at the end, left by a cut.
void TrimPartialCharacter(std::string& text) {
    std::size_t i = text.size();
    std::size_t back = 0;
    while (i > 0 && back < 4 && (static_cast<unsigned char>(text[i - 1]) & 0xC0) == 0x80) {
        --i;
        ++back;
    }
    if (i == 0)
        return;
    const auto lead = static_cast<unsigned char>(text[i - 1]);
    std::size_t length = 1;
    if (lead >= 0xF0)
        length = 4;
    else if (lead >= 0xE0)
        length = 3;
    else if (lead >= 0xC0)
        length = 2;
    if (lead >= 0x80 && back + 1 < length)
        text.resize(i - 1);
}

bool IsSpecial(unsigned char c) {
    return c < 0x20 || c == 0x7F || c == 0xC2;
}

// Whether any of the eight bytes at `bytes` is a control, DEL or 0xC2 (which may start a C1
// control), or a space followed by another (the ninth byte included): the text scan then
// looks at them one by one. Reads nine bytes.
bool HasSpecialByte(const char* bytes) {
    constexpr std::uint64_t kOnes = 0x0101010101010101ull;
    constexpr std::uint64_t kHigh = 0x8080808080808080ull;
    std::uint64_t word = 0;
    std::memcpy(&word, bytes, sizeof word);
    const auto hasZero = [](std::uint64_t v) { return (v - kOnes) & ~v & kHigh; };
    const std::uint64_t below20 = (word - kOnes * 0x20) & ~word & kHigh;
    // Bytes equal to a space (a few false alarms above a true one only cost the slow look).
    const std::uint64_t spaces = hasZero(word ^ (kOnes * 0x20));
    return (below20 | hasZero(word ^ (kOnes * 0x7F)) | hasZero(word ^ (kOnes * 0xC2)) |
            (spaces & (spaces >> 8))) != 0 ||
           ((word >> 56) == 0x20 && bytes[8] == ' ');
}

const char* Attribute(const XML_Char** attributes, const char* name) {
    for (; attributes[0]; attributes += 2) {
        if (std::strcmp(attributes[0], name) == 0)
            return attributes[1];
    }
    return nullptr;
}

int TextKind(const char* name) {
    if (std::strcmp(name, "title") == 0)
        return kTitle;
    if (std::strcmp(name, "sub-title") == 0)
        return kSubTitle;
    if (std::strcmp(name, "desc") == 0)
        return kDescription;
    if (std::strcmp(name, "category") == 0)
        return kCategory;
    return -1;
}

// How much an episode-num's system is preferred, the higher the better (0: none kept yet).
int EpisodeRank(const char* system) {
    if (system && std::strcmp(system, "onscreen") == 0)
        return 3;
    if (system && std::strcmp(system, "xmltv_ns") == 0)
        return 2;
    return 1;
}

// One field of an xmltv_ns number: "", "4", "4/10", "/10", spaces allowed around each.
bool ParseEpisodeField(std::string_view field, long& number, long& total) {
    number = -1;
    total = -1;
    std::size_t i = 0;
    const auto skipSpaces = [&] {
        while (i < field.size() && field[i] == ' ')
            ++i;
    };
    // At most nine digits: no overflow, and no real number is longer.
    const auto digits = [&](long& into) {
        const std::size_t from = i;
        long value = 0;
        while (i < field.size() && field[i] >= '0' && field[i] <= '9' && i - from < 9)
            value = value * 10 + (field[i++] - '0');
        if (i > from)
            into = value;
    };
    skipSpaces();
    digits(number);
    skipSpaces();
    if (i < field.size() && field[i] == '/') {
        ++i;
        skipSpaces();
        digits(total);
        if (total < 0)
            return false;
        skipSpaces();
    }
    return i == field.size();
}

}  // namespace

bool ReadableEpisode(std::string_view ns, std::string& out) {
    static constexpr const char* kWords[] = {"Season ", "Episode ", "Part "};
    out.clear();
    std::size_t field = 0;
    for (std::size_t pos = 0;; ++field) {
        const std::size_t dot = ns.find('.', pos);
        if (field >= 3)
            return false;
        long number = -1;
        long total = -1;
        if (!ParseEpisodeField(ns.substr(pos, dot == std::string_view::npos ? dot : dot - pos),
                               number, total))
            return false;
        // A total alone says nothing of this programme.
        if (number >= 0) {
            if (!out.empty())
                out += ", ";
            out += kWords[field];
            out += std::to_string(number + 1);
            if (total > 0) {
                out += " of ";
                out += std::to_string(total);
            }
        }
        if (dot == std::string_view::npos)
            break;
        pos = dot + 1;
    }
    if (field != 2)
        out.clear();
    return !out.empty();
}

struct XmltvReader::State {
    GuideSink& sink;
    std::string language;
    ReaderLimits limits;
    ParserPtr parser;

    std::string error;
    bool failed = false;
    bool refused = false;
    bool stopped = false;
    std::uint64_t channels = 0;
    std::uint64_t programmes = 0;
    std::uint64_t leftOut = 0;

    int depth = 0;
    // The element being read: a programme, a channel, or neither.
    enum class In { Nothing, Programme, Channel } in = In::Nothing;
    int outerDepth = 0;
    bool programmeValid = false;
    std::string channelId;
    ParsedProgramme programme;
    // Per text kind: the text kept so far, whether it is in the wanted language, whether
    // there is one at all.
    std::string texts[kProgrammeTextCount];
    bool haveText[kProgrammeTextCount] = {};
    bool textInLanguage[kProgrammeTextCount] = {};
    std::vector<std::string> names;
    std::size_t nameCount = 0;
    // The rank of the episode kept (EpisodeRank), and of the one being collected.
    int episodeRank = 0;
    int collectingRank = 0;
    // Inside the programme's first rating: its system, until a value is found.
    bool inRating = false;
    std::string ratingSystem;
    // Kept between programmes, so the readable episode needs no new buffer each time.
    std::string readable;

    // The text element being collected: its kind (kProgrammeTextCount for a display name).
    int collecting = -1;
    int collectingDepth = 0;
    bool collectingInLanguage = false;
    std::string scratch;
    bool pendingSpace = false;

    State(GuideSink& s, std::string lang, ReaderLimits l)
        : sink(s), language(std::move(lang)), limits(l) {}

    void Fail(std::string message, bool asRefused) {
        if (failed)
            return;
        failed = true;
        refused = asRefused;
        error = std::move(message);
    }

    std::string Where() const {
        return "line " + std::to_string(XML_GetCurrentLineNumber(parser.get())) + ", byte " +
               std::to_string(XML_GetCurrentByteIndex(parser.get()));
    }

    void StopParsing(std::string message, bool asRefused) {
        Fail(std::move(message), asRefused);
        XML_StopParser(parser.get(), XML_FALSE);
    }

    void CopyCapped(std::string& out, const char* value) const {
        const std::size_t length = std::strlen(value);
        out.assign(value, std::min(length, limits.maxAttribute));
        if (length > limits.maxAttribute)
            TrimPartialCharacter(out);
    }

    // White space and control characters as one space, none at either end (the end is
    // trimmed once the element closes); at most maxText bytes.
    void AppendText(const char* data, std::size_t length) {
        std::size_t i = 0;
        while (i < length) {
            // A run without controls: words and the single spaces between them go in at once.
            std::size_t end = i;
            while (end + 9 <= length && !HasSpecialByte(data + end))
                end += 8;
            while (end < length && !IsSpecial(static_cast<unsigned char>(data[end])) &&
                   !(data[end] == ' ' && end + 1 < length && data[end + 1] == ' '))
                ++end;
            if (end > i) {
                if (!AppendRun(data + i, end - i))
                    return;
                i = end;
                continue;
            }
            const auto c = static_cast<unsigned char>(data[i]);
            if (c == 0xC2 && i + 1 < length) {
                const auto next = static_cast<unsigned char>(data[i + 1]);
                if (next < 0x80 || next > 0x9F) {  // an ordinary two-byte character
                    if (!AppendRun(data + i, 2))
                        return;
                    i += 2;
                    continue;
                }
                ++i;  // a C1 control: blank like the rest
            }
            pendingSpace = !scratch.empty();
            ++i;
        }
    }

    // False once the text is full.
    bool AppendRun(const char* run, std::size_t size) {
        std::string& out = scratch;
        const bool spaceBefore = out.empty() || out.back() == ' ';
        if (run[0] == ' ' && (spaceBefore || pendingSpace)) {
            // Would start with a space or make two: one byte at a time, rarely.
            for (std::size_t k = 0; k < size; ++k) {
                if (run[k] == ' ') {
                    pendingSpace = !out.empty() && out.back() != ' ';
                } else if (!AppendRun(run + k, 1)) {
                    return false;
                }
            }
            return true;
        }
        const std::size_t space = pendingSpace && !spaceBefore ? 1 : 0;
        pendingSpace = false;
        if (out.size() + space + size > limits.maxText) {
            if (out.size() + space < limits.maxText) {
                out.append(space, ' ');
                out.append(run, limits.maxText - out.size());
            }
            TrimPartialCharacter(out);
            collecting = -2;  // full: the rest of this element is dropped
            return false;
        }
        out.append(space, ' ');
        out.append(run, size);
        return true;
    }

    void StartElement(const XML_Char* name, const XML_Char** attributes) {
        ++depth;
        if (in == In::Programme) {
            if (depth == outerDepth + 2 && inRating && collecting == -1 &&
                std::strcmp(name, "value") == 0) {
                StartCollecting(kRating, false);
                return;
            }
            if (depth != outerDepth + 1)
                return;
            const int kind = TextKind(name);
            if (kind < 0) {
                if (std::strcmp(name, "episode-num") == 0) {
                    const int rank = EpisodeRank(Attribute(attributes, "system"));
                    if (rank > episodeRank) {
                        StartCollecting(kEpisode, false);
                        collectingRank = rank;
                    }
                    return;
                }
                if (std::strcmp(name, "rating") == 0 && !haveText[kRating]) {
                    inRating = true;
                    const char* system = Attribute(attributes, "system");
                    CopyCapped(ratingSystem, system ? system : "");
                }
                return;
            }
            const char* lang = Attribute(attributes, "lang");
            const bool inLanguage = lang && LanguageMatches(lang, language);
            if (haveText[kind] && (textInLanguage[kind] || !inLanguage))
                return;
            StartCollecting(kind, inLanguage);
        } else if (in == In::Channel) {
            if (depth == outerDepth + 1 && std::strcmp(name, "display-name") == 0 &&
                nameCount < limits.maxDisplayNames)
                StartCollecting(kProgrammeTextCount, false);
        } else if (std::strcmp(name, "programme") == 0) {
            StartProgramme(attributes);
        } else if (std::strcmp(name, "channel") == 0) {
            in = In::Channel;
            outerDepth = depth;
            nameCount = 0;
            const char* id = Attribute(attributes, "id");
            CopyCapped(channelId, id ? id : "");
        }
    }

    void StartCollecting(int kind, bool inLanguage) {
        // Text is looked at only inside the elements kept: the white space between all the
        // others never reaches a handler.
        XML_SetCharacterDataHandler(parser.get(), OnText);
        collecting = kind;
        collectingDepth = depth;
        collectingInLanguage = inLanguage;
        scratch.clear();
        pendingSpace = false;
    }

    void StartProgramme(const XML_Char** attributes) {
        in = In::Programme;
        outerDepth = depth;
        for (int kind = 0; kind < kProgrammeTextCount; ++kind) {
            haveText[kind] = false;
            textInLanguage[kind] = false;
            texts[kind].clear();
        }
        episodeRank = 0;
        inRating = false;
        const char* channel = Attribute(attributes, "channel");
        const char* start = Attribute(attributes, "start");
        const char* stop = Attribute(attributes, "stop");
        CopyCapped(channelId, channel ? channel : "");
        const auto startTime = start ? ParseGuideTime(start) : std::nullopt;
        const auto stopTime = stop ? ParseGuideTime(stop) : std::nullopt;
        programmeValid = !channelId.empty() && startTime.has_value() && (!stop || stopTime);
        if (programmeValid) {
            programme.start = *startTime;
            programme.stop = stopTime;
            programmeValid = !stopTime || *stopTime > programme.start;
        }
    }

    void EndElement() {
        if (collecting != -1 && depth == collectingDepth)
            EndCollecting();
        if (in == In::Programme && depth == outerDepth + 1)
            inRating = false;
        if (depth == outerDepth && in == In::Programme) {
            in = In::Nothing;
            EndProgramme();
        } else if (depth == outerDepth && in == In::Channel) {
            in = In::Nothing;
            ParsedChannel channel;
            channel.id = channelId;
            for (std::size_t i = 0; i < nameCount; ++i)
                channel.displayNames.push_back(names[i]);
            ++channels;
            if (!sink.Channel(channel)) {
                stopped = true;
                StopParsing("stopped", false);
            }
        }
        --depth;
    }

    void EndCollecting() {
        XML_SetCharacterDataHandler(parser.get(), nullptr);
        const int kind = collecting == -2 ? lastKind : collecting;
        collecting = -1;
        while (!scratch.empty() && scratch.back() == ' ')
            scratch.pop_back();
        if (kind == kProgrammeTextCount) {
            if (names.size() <= nameCount)
                names.emplace_back();
            names[nameCount++].swap(scratch);
            return;
        }
        if (kind == kEpisode) {
            if (scratch.empty())
                return;
            if (collectingRank == 2) {
                // A malformed one leaves whatever was kept before.
                if (!ReadableEpisode(scratch, readable))
                    return;
                texts[kind].swap(readable);
            } else {
                texts[kind].swap(scratch);
            }
            episodeRank = collectingRank;
            CapText(texts[kind]);
            return;
        }
        if (kind == kRating) {
            if (scratch.empty())
                return;
            inRating = false;
            std::string& rating = texts[kind];
            rating.clear();
            if (!ratingSystem.empty())
                rating.append(ratingSystem).append(": ");
            rating.append(scratch);
            CapText(rating);
            haveText[kind] = true;
            return;
        }
        texts[kind].swap(scratch);
        haveText[kind] = true;
        textInLanguage[kind] = collectingInLanguage;
    }

    void CapText(std::string& text) const {
        if (text.size() > limits.maxText) {
            text.resize(limits.maxText);
            TrimPartialCharacter(text);
        }
    }

    void EndProgramme() {
        if (!programmeValid) {
            ++leftOut;
            return;
        }
        programme.channel = channelId;
        for (int kind = 0; kind < kProgrammeTextCount; ++kind)
            programme.texts[kind] = texts[kind];
        ++programmes;
        if (!sink.Programme(programme)) {
            stopped = true;
            StopParsing("stopped", false);
        }
    }

    // The kind being collected when the text was cut.
    int lastKind = -1;

    static void OnText(void* user, const XML_Char* data, int length) {
        State& state = *static_cast<State*>(user);
        if (state.collecting >= 0) {
            state.lastKind = state.collecting;
            state.AppendText(data, static_cast<std::size_t>(length));
        }
    }
};

namespace {

XmltvReader::State& StateOf(void* user) {
    return *static_cast<XmltvReader::State*>(user);
}

}  // namespace

XmltvReader::XmltvReader(GuideSink& sink, std::string language, ReaderLimits limits)
    : m_state(std::make_unique<State>(sink, std::move(language), limits)) {
    State& s = *m_state;
    s.parser.reset(XML_ParserCreate("UTF-8"));
    if (!s.parser) {
        s.Fail("the XML parser could not start", false);
        return;
    }
    XML_Parser p = s.parser.get();
    XML_SetUserData(p, &s);
    // No DTD, internal or external, and no external entity is ever read.
    XML_SetParamEntityParsing(p, XML_PARAM_ENTITY_PARSING_NEVER);
    XML_SetExternalEntityRefHandler(
        p, [](XML_Parser, const XML_Char*, const XML_Char*, const XML_Char*, const XML_Char*) {
            return static_cast<int>(XML_STATUS_ERROR);
        });
    // Guides declare no entities of their own: any declaration is refused, so no expansion
    // can grow without bound. The parser's own amplification limit stays on behind it.
    XML_SetEntityDeclHandler(p, [](void* user, const XML_Char*, int, const XML_Char*, int,
                                   const XML_Char*, const XML_Char*, const XML_Char*,
                                   const XML_Char*) {
        State& state = StateOf(user);
        state.StopParsing("refused: the guide declares an entity (" + state.Where() + ")", true);
    });
    XML_SetBillionLaughsAttackProtectionMaximumAmplification(p, 10.0f);
    XML_SetElementHandler(
        p,
        [](void* user, const XML_Char* name, const XML_Char** attributes) {
            StateOf(user).StartElement(name, attributes);
        },
        [](void* user, const XML_Char*) { StateOf(user).EndElement(); });
}

XmltvReader::~XmltvReader() = default;

bool XmltvReader::Feed(std::string_view bytes) {
    State& s = *m_state;
    while (!s.failed && !bytes.empty()) {
        const std::size_t piece = std::min(bytes.size(), kFeedPiece);
        if (XML_Parse(s.parser.get(), bytes.data(), static_cast<int>(piece), XML_FALSE) ==
            XML_STATUS_ERROR) {
            if (!s.failed) {
                const XML_Error code = XML_GetErrorCode(s.parser.get());
                s.Fail("broken at " + s.Where() + ": " + XML_ErrorString(code),
                       code == XML_ERROR_EXTERNAL_ENTITY_HANDLING ||
                           code == XML_ERROR_AMPLIFICATION_LIMIT_BREACH);
            }
            return false;
        }
        bytes.remove_prefix(piece);
        // What the parser holds back is the start of a token not finished yet.
        int offset = 0;
        int size = 0;
        if (XML_GetInputContext(s.parser.get(), &offset, &size) && size > offset &&
            static_cast<std::size_t>(size - offset) > s.limits.maxToken) {
            s.Fail("refused at " + s.Where() + ": a tag or comment longer than " +
                       std::to_string(s.limits.maxToken / (1024 * 1024)) + " MB",
                   true);
            return false;
        }
    }
    return !s.failed;
}

bool XmltvReader::Finish() {
    State& s = *m_state;
    if (s.failed)
        return false;
    if (XML_Parse(s.parser.get(), nullptr, 0, XML_TRUE) == XML_STATUS_ERROR) {
        if (!s.failed)
            s.Fail("cut off at " + s.Where() + ": " +
                       XML_ErrorString(XML_GetErrorCode(s.parser.get())),
                   false);
        return false;
    }
    return true;
}

const std::string& XmltvReader::Error() const {
    return m_state->error;
}
bool XmltvReader::Refused() const {
    return m_state->refused;
}
bool XmltvReader::Stopped() const {
    return m_state->stopped;
}
std::uint64_t XmltvReader::Channels() const {
    return m_state->channels;
}
std::uint64_t XmltvReader::Programmes() const {
    return m_state->programmes;
}
std::uint64_t XmltvReader::LeftOut() const {
    return m_state->leftOut;
}

}  // namespace quorvel::guide
