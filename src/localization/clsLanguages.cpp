#include "localization/clsLanguages.h"

#include "appearance/FileExists.h"
#include "appearance/ProductInfo.h"
#include "appearance/ProgramFiles.h"
#include "files/FileIo.h"
#include "files/TextCase.h"
#include "localization/LocalizationFormat.h"
#include "localization/ProgramTexts.h"

#include <exception>
#include <system_error>

namespace quorvel {

std::string gLanguageName;

clsLanguages gLanguages = [] {
    clsLanguages languages;
    RegisterProgramMessages(languages);
    return languages;
}();

void RegisterProgramMessages(clsLanguages& languages) {
    for (const ProgramText& text : ProgramTexts())
        languages.setMessage(text.key, text.english);
}

namespace {

constexpr std::string_view kXmlName = "Localization.xml";

// The whole of "Localization.xml" as UTF-8 text, or nothing when it is missing, too large
// or unreadable.
std::optional<std::string> ReadLocalizationXml() {
    const std::filesystem::path path = ProgramFileToRead(kXmlName);
    if (!clsLanguages::LangFileExists(path.string()))
        return std::nullopt;
    std::string bytes, error;
    if (ReadFileAtMost(path, kMaxLocalizationFileBytes, bytes, error) != FileReadStatus::Read)
        return std::nullopt;
    return DecodeLocalizationXml(bytes);
}

}  // namespace

void clsLanguages::LoadLanguage(std::string_view language) {
    gLanguageName = language;
    const std::optional<std::string> text = ReadLocalizationXml();
    if (!text)
        return;
    // A group without its name or item tags is passed over, so one damaged group cannot
    // hide the well-formed ones after it.
    std::optional<std::string_view> items;
    std::string tag;
    WalkLanguageGroups(*text, [&](const LanguageGroup& group) {
        if (group.name && group.items && EqualsIgnoringCase(*group.name, language)) {
            items = group.items;
            tag = GroupLanguageTag(group.text);
            return false;
        }
        return true;
    });
    if (items) {
        SetItemLines(SplitItemsBlock(*items));
        m_languageTag = std::move(tag);
    }
}

void clsLanguages::SetItemLines(std::vector<std::string> lines) {
    m_items.clear();
    m_items.reserve(lines.size());
    std::string upper;
    for (const std::string& line : lines) {
        upper = ToUpperAscii(line);
        const std::optional<ItemLine> item = ReadItemLine(line, upper);
        if (!item)
            continue;
        std::optional<std::string> text;
        if (item->text)
            text.emplace(*item->text);
        m_items.try_emplace(ToUpperAscii(item->key), std::move(text));
    }
    m_itemLines = std::move(lines);
}

std::string clsLanguages::LookupItem(std::string_view key) const {
    const auto it = m_items.find(ToUpperAscii(key));
    if (it == m_items.end() || !it->second)
        return {};
    const BrandingValues& brand = Branding();
    std::string text = ReplaceAllIgnoringCase(*it->second, "[ProgramName]", brand.ProgramName);
    text = ReplaceAllIgnoringCase(text, "[CompanyName]", brand.CompanyName);
    text = ReplaceAllIgnoringCase(text, "[Website]", brand.Website);
    UpperFirstCharacter(text);
    return text;
}

std::vector<std::string> clsLanguages::ListLanguages() const {
    std::vector<std::string> names;
    if (const std::optional<std::string> text = ReadLocalizationXml()) {
        WalkLanguageGroups(*text, [&](const LanguageGroup& group) {
            if (group.name)
                names.emplace_back(*group.name);
            return true;
        });
    }
    return names;
}

bool clsLanguages::LangFileExists(std::string_view path) {
    return FileExists(path);
}

std::string clsLanguages::LangTrimPath(std::string_view path) {
    return FileNamePart(path);
}

void clsLanguages::ChangeLanguage(LocalizableWindow& window, std::string_view language) {
    Apply(window, language, TypeMatch::Exact);
}

void clsLanguages::ChangeLanguageMDI(LocalizableWindow& window, std::string_view language) {
    Apply(window, language, TypeMatch::AnyCase);
}

namespace {

enum class Kind { None, Caption, TabStrip, ListView, OptionButton, Menu };

Kind KindOf(const std::string& typeName, clsLanguages::TypeMatch match) {
    struct Entry {
        std::string_view name;
        Kind kind;
    };
    static constexpr Entry kTypes[] = {
        {"Label", Kind::Caption},     {"CommandButton", Kind::Caption},
        {"SkinLabel", Kind::Caption}, {"Frame", Kind::Caption},
        {"CheckBox", Kind::Caption},  {"TabStrip", Kind::TabStrip},
        {"ListView", Kind::ListView}, {"OptionButton", Kind::OptionButton},
        {"Menu", Kind::Menu},
    };
    const std::string_view name =
        match == clsLanguages::TypeMatch::Exact ? std::string_view(typeName) : TrimBlanks(typeName);
    for (const Entry& entry : kTypes) {
        if (match == clsLanguages::TypeMatch::Exact ? name == entry.name
                                                    : EqualsIgnoringCase(name, entry.name)) {
            return entry.kind;
        }
    }
    return Kind::None;
}

std::string Numbered(std::string key, int n) {
    return key.append(std::to_string(n));
}

void TranslateCaption(const clsLanguages& store, LocalizableControl& control,
                      const std::string& key) {
    const std::string text = store.LookupItem(key);
    if (!text.empty())
        control.SetCaption(text);
    control.Refresh();
}

void TranslateItems(const clsLanguages& store, LocalizableControl& control,
                    const std::string& keyStem) {
    const int count = control.ItemCount();
    for (int n = 1; n <= count; ++n) {
        const std::string text = store.LookupItem(Numbered(keyStem, n));
        if (!text.empty())
            control.SetItemText(n, text);
    }
    control.Refresh();
}

void AppendNumberedItems(std::string& out, const LocalizableControl& control,
                         const std::string& keyStem) {
    std::string text;
    const int count = control.ItemCount();
    for (int n = 1; n <= count; ++n) {
        if (control.ItemText(n, text))
            AppendItemLine(out, Numbered(keyStem, n), text);
    }
}

}  // namespace

void clsLanguages::Apply(LocalizableWindow& window, std::string_view language, TypeMatch match) {
    try {
        LoadLanguage(language);
        if (!m_itemLines || m_itemLines->size() == 1)
            LoadLanguage("English");
    } catch (const std::exception&) {
        // A failed load leaves the lines of the language loaded before.
    }

    std::string windowName;
    try {
        windowName = window.Name();
        window.ForEachControl([&](LocalizableControl& control) {
            try {
                const std::string stem = windowName + "_" + control.Name();
                switch (KindOf(control.TypeName(), match)) {
                    case Kind::Caption:
                        TranslateCaption(*this, control, stem);
                        break;
                    case Kind::TabStrip:
                        TranslateItems(*this, control, stem + "_TABS");
                        break;
                    case Kind::ListView:
                        TranslateItems(*this, control, stem + "_COL");
                        break;
                    case Kind::OptionButton:
                        // Without an index there is no key to look up.
                        if (const auto index = control.Index())
                            TranslateCaption(*this, control, Numbered(stem, *index));
                        break;
                    case Kind::Menu:
                        TranslateCaption(*this, control,
                                         Numbered(stem, control.Index().value_or(0)));
                        break;
                    case Kind::None:
                        break;
                }
            } catch (const std::exception&) {
                // One control that fails does not stop the others.
            }
        });
    } catch (const std::exception&) {
    }

    for (MessageEntry& slot : m_messages.Slots()) {
        if (!slot.InUse)
            continue;
        std::string text = LookupItem(slot.Key);
        if (!text.empty())
            slot.Text = std::move(text);
    }
}

std::string clsLanguages::LocalizationFileText(
    const std::vector<LocalizableWindow*>& windows) const {
    std::string out = LocalizationFileHead();
    std::string text;
    for (LocalizableWindow* window : windows) {
        if (window == nullptr)
            continue;
        try {
            const std::string stemHead = ToUpperAscii(window->Name()) + "_";
            window->ForEachControl([&](LocalizableControl& control) {
                try {
                    const std::string stem = stemHead + ToUpperAscii(control.Name());
                    switch (KindOf(control.TypeName(), TypeMatch::Exact)) {
                        case Kind::Caption:
                            if (control.Caption(text))
                                AppendItemLine(out, stem, text);
                            break;
                        case Kind::TabStrip:
                            AppendNumberedItems(out, control, stem + "_TABS");
                            break;
                        case Kind::ListView:
                            AppendNumberedItems(out, control, stem + "_COL");
                            break;
                        case Kind::OptionButton:
                            if (const auto index = control.Index(); index && control.Caption(text))
                                AppendItemLine(out, Numbered(stem, *index), text);
                            break;
                        case Kind::Menu:
                            if (control.Caption(text))
                                AppendItemLine(out, Numbered(stem, control.Index().value_or(0)),
                                               text);
                            break;
                        case Kind::None:
                            break;
                    }
                } catch (const std::exception&) {
                }
            });
        } catch (const std::exception&) {
        }
    }
    for (const MessageEntry& slot : m_messages.Slots()) {
        if (!slot.InUse)
            break;
        AppendItemLine(out, ToUpperAscii(slot.Key), slot.Text);
    }
    out.append(LocalizationFileTail());
    return out;
}

bool clsLanguages::makeLocalizationFile(const std::vector<LocalizableWindow*>& windows) const {
    std::string error;
    return WriteFileAtomically(ProgramFileToWrite(kXmlName), LocalizationFileText(windows), error);
}

}  // namespace quorvel
