#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace quorvel {

struct MessageEntry {
    std::string Key;
    std::string Text;
    bool InUse = false;
};

// Free texts (titles, message boxes) under a key: a fixed table filled from the front and
// never emptied. Registering a key twice takes two slots; lookups find the first.
class MessageTable {
public:
    static constexpr std::size_t kSlots = 201;

    // Dropped without notice once every slot is in use.
    void setMessage(std::string_view key, std::string_view text);
    // The text with its first character upper-cased; empty for a key never registered.
    std::string getMessages(std::string_view key) const;

    std::array<MessageEntry, kSlots>& Slots() { return m_slots; }
    const std::array<MessageEntry, kSlots>& Slots() const { return m_slots; }

private:
    std::array<MessageEntry, kSlots> m_slots;
};

}  // namespace quorvel
