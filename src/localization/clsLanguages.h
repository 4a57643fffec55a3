#pragma once

#include "localization/LocalizableWindow.h"
#include "localization/MessageTable.h"

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace quorvel {

// The translation store: the item lines of the language loaded last, the message table,
// applying a language to a window and writing a fresh "Localization.xml".
class clsLanguages {
public:
    // How a control's type name is matched against the known ones.
    enum class TypeMatch { Exact, AnyCase };

    void setMessage(std::string_view key, std::string_view text) {
        m_messages.setMessage(key, text);
    }
    std::string getMessages(std::string_view key) const { return m_messages.getMessages(key); }
    const MessageTable& Messages() const { return m_messages; }

    // Loads `language` and gives every known control of `window` its translated caption, then
    // translates the registered messages. English stands in while no language has been
    // loaded or the one loaded is a single line. Failing steps are passed over.
    void ChangeLanguage(LocalizableWindow& window, std::string_view language);
    // The same, with control type names matched in any letter case and trimmed of blanks.
    void ChangeLanguageMDI(LocalizableWindow& window, std::string_view language);

    // The language names of "Localization.xml", in file order; reads only.
    std::vector<std::string> ListLanguages() const;
    static bool LangFileExists(std::string_view path);
    // The part after the last separator ("\" or "/"); empty for a path ending in one.
    static std::string LangTrimPath(std::string_view path);

    // Writes "Localization.xml" anew from the windows (in the order given) and the messages.
    // False when the file could not be written; the old one is then left as it was.
    bool makeLocalizationFile(const std::vector<LocalizableWindow*>& windows) const;
    // The text makeLocalizationFile writes.
    std::string LocalizationFileText(const std::vector<LocalizableWindow*>& windows) const;

    // Working operations of the apply, open for tests and benchmarks.
    void LoadLanguage(std::string_view language);
    std::string LookupItem(std::string_view key) const;
    const std::optional<std::vector<std::string>>& ItemLines() const { return m_itemLines; }
    // The xml:lang tag of the language whose items are loaded ("de"); empty while none is
    // loaded or its group names none.
    const std::string& LanguageTag() const { return m_languageTag; }

private:
    void Apply(LocalizableWindow& window, std::string_view language, TypeMatch match);
    void SetItemLines(std::vector<std::string> lines);

    std::optional<std::vector<std::string>> m_itemLines;
    // Upper-cased key -> raw text of the first line holding it (unset when that line has no
    // closing tag), built once per load so a lookup costs no scan.
    std::unordered_map<std::string, std::optional<std::string>> m_items;
    MessageTable m_messages;
    std::string m_languageTag;
};

// The shared store (with the program's messages registered) and the name of the language
// last asked for.
extern clsLanguages gLanguages;
extern std::string gLanguageName;

// Registers the messages the program reads, with their English texts.
void RegisterProgramMessages(clsLanguages& languages);

}  // namespace quorvel
