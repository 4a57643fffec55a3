#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace quorvel {

// Gathers the language names of a category for the language box, from the type fields of
// its records (Windows-1252 bytes). The names are kept as one text, each followed by "|";
// a candidate is added only when that text does not yet contain candidate + "|" with letter
// case ignored, so "English" is not added once "Old English" is there.
class LanguageCollector {
public:
    // A type field without "/" is one candidate; otherwise its non-empty pieces between "/".
    void AddTypeField(std::string_view type);
    // Whether the collected text contains text + "|", letter case ignored.
    bool ContainsEntry(std::string_view text) const;
    // The collected names in the order they were added.
    std::vector<std::string> Names() const;

private:
    void AddCandidate(std::string_view candidate);
    // Whether `folded` ends one of the collected names, which is the same as the collected
    // text containing it followed by "|" (names hold no "|"). A trie of the reversed folded
    // names answers that in the candidate's length, however many names there are.
    bool EndsACollectedName(std::string_view folded) const;
    void InsertReversed(std::string_view folded);

    struct TextHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const {
            return std::hash<std::string_view>{}(s);
        }
    };

    std::string m_collected;  // name|name|...|
    std::string m_folded;     // the same, letter case folded
    std::string m_scratch;
    // Trie edges (node << 8 | byte) -> child in an open-addressing table; node 0 is the root.
    // A flat table, since a catalogue of many distinct languages makes millions of edges.
    static constexpr std::uint64_t kNoEdge = ~std::uint64_t{0};
    std::uint32_t FindEdge(std::uint64_t key) const;  // 0 when absent
    std::uint32_t AddEdge(std::uint64_t key);         // the child, made when absent
    void GrowEdges();
    std::vector<std::uint64_t> m_edgeKeys = std::vector<std::uint64_t>(64, kNoEdge);
    std::vector<std::uint32_t> m_edgeChildren = std::vector<std::uint32_t>(64, 0);
    std::size_t m_edgeCount = 0;
    std::uint32_t m_nodeCount = 1;
    // Type fields already taken in: all their candidates are in the text since.
    std::unordered_set<std::string, TextHash, std::equal_to<>> m_seenTypes;
};

}  // namespace quorvel
