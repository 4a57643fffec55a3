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
        node = FindEdge(node << 8 | static_cast<unsigned char>(*it));
        if (node == 0)
            return false;
    }
    return true;
}

void LanguageCollector::InsertReversed(std::string_view folded) {
    std::uint64_t node = 0;
    for (auto it = folded.rbegin(); it != folded.rend(); ++it) {
        node = AddEdge(node << 8 | static_cast<unsigned char>(*it));
    }
}

namespace {

std::size_t Slot(std::uint64_t key, std::size_t mask) {
    return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> 20) & mask;
}

}  // namespace

std::uint32_t LanguageCollector::FindEdge(std::uint64_t key) const {
    const std::size_t mask = m_edgeKeys.size() - 1;
    for (std::size_t slot = Slot(key, mask);; slot = (slot + 1) & mask) {
        if (m_edgeKeys[slot] == key)
            return m_edgeChildren[slot];
        if (m_edgeKeys[slot] == kNoEdge)
            return 0;
    }
}

std::uint32_t LanguageCollector::AddEdge(std::uint64_t key) {
    if (2 * (m_edgeCount + 1) > m_edgeKeys.size())
        GrowEdges();
    const std::size_t mask = m_edgeKeys.size() - 1;
    for (std::size_t slot = Slot(key, mask);; slot = (slot + 1) & mask) {
        if (m_edgeKeys[slot] == key)
            return m_edgeChildren[slot];
        if (m_edgeKeys[slot] == kNoEdge) {
            m_edgeKeys[slot] = key;
            m_edgeChildren[slot] = m_nodeCount;
            ++m_edgeCount;
            return m_nodeCount++;
        }
    }
}

void LanguageCollector::GrowEdges() {
    std::vector<std::uint64_t> keys(2 * m_edgeKeys.size(), kNoEdge);
    std::vector<std::uint32_t> children(keys.size(), 0);
    const std::size_t mask = keys.size() - 1;
    for (std::size_t i = 0; i < m_edgeKeys.size(); ++i) {
        if (m_edgeKeys[i] == kNoEdge)
            continue;
        std::size_t slot = Slot(m_edgeKeys[i], mask);
        while (keys[slot] != kNoEdge)
            slot = (slot + 1) & mask;
        keys[slot] = m_edgeKeys[i];
        children[slot] = m_edgeChildren[i];
    }
    m_edgeKeys = std::move(keys);
    m_edgeChildren = std::move(children);
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
