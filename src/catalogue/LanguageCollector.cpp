#include "catalogue/LanguageCollector.h"

#include "catalogue/ChannelRecord.h"
#include "catalogue/FoldedText.h"

namespace quorvel {

void LanguageCollector::AddTypeField(std::string_view type) {
    // Most records repeat a type field seen before; one lookup settles them.
    if (m_seenTypes.find(type) != m_seenTypes.end())
        return;
    m_seenTypes.emplace(type);
    std::size_t start = 0;
    for (;;) {
        const std::size_t slash = type.find(kLanguageSeparator, start);
        AddCandidate(type.substr(start, slash - start));
        if (slash == std::string_view::npos)
            return;
        start = slash + 1;
    }
}

void LanguageCollector::AddCandidate(std::string_view candidate) {
    if (candidate.empty())
        return;
    FoldText1252(candidate, m_scratch);
    if (EndsACollectedName(m_scratch))
        return;
    m_collected.append(candidate).push_back(kFieldSeparator);
    m_folded.append(m_scratch).push_back(kFieldSeparator);
    InsertReversed(m_scratch);
}

bool LanguageCollector::EndsACollectedName(std::string_view folded) const {
    std::uint64_t node = 0;
    for (auto it = folded.rbegin(); it != folded.rend(); ++it) {
        const auto edge = m_edges.find(node << 8 | static_cast<unsigned char>(*it));
        if (edge == m_edges.end())
            return false;
        node = edge->second;
    }
    return true;
}

void LanguageCollector::InsertReversed(std::string_view folded) {
    std::uint64_t node = 0;
    for (auto it = folded.rbegin(); it != folded.rend(); ++it) {
        const auto [edge, added] =
            m_edges.try_emplace(node << 8 | static_cast<unsigned char>(*it), m_nodeCount);
        if (added)
            ++m_nodeCount;
        node = edge->second;
    }
}

bool LanguageCollector::ContainsEntry(std::string_view text) const {
    std::string needle = FoldText1252(text);
    needle.push_back(kFieldSeparator);
    return m_folded.find(needle) != std::string::npos;
}

std::vector<std::string> LanguageCollector::Names() const {
    std::vector<std::string> names;
    std::size_t start = 0;
    while (start < m_collected.size()) {
        const std::size_t bar = m_collected.find(kFieldSeparator, start);
        names.emplace_back(m_collected.substr(start, bar - start));
        start = bar + 1;
    }
    return names;
}

}  // namespace quorvel
