#include "localization/MessageTable.h"

#include "files/TextCase.h"
#include "localization/LocalizationFormat.h"

namespace quorvel {

void MessageTable::setMessage(std::string_view key, std::string_view text) {
    for (MessageEntry& slot : m_slots) {
        if (!slot.InUse) {
            slot.InUse = true;
            slot.Key = key;
            slot.Text = text;
            return;
        }
    }
}

std::string MessageTable::getMessages(std::string_view key) const {
    for (const MessageEntry& slot : m_slots) {
        if (EqualsIgnoringCase(slot.Key, key)) {
            std::string text = slot.Text;
            UpperFirstCharacter(text);
            return text;
        }
        if (!slot.InUse)
            break;
    }
    return {};
}

}  // namespace quorvel
