#pragma once

#include "ScopedEnv.h"
#include "ScopedHives.h"
#include "TempDir.h"
#include "appearance/InstanceLock.h"
#include "appearance/ProductInfo.h"
#include "appearance/ProgramFiles.h"
#include "catalogue/LineCodec.h"
#include "files/Windows1252.h"
#include "settings/SettingsStore.h"
#include "shell/Form1.h"
#include "shell/modListViewEnh.h"
#include "shell/widgets/ListView.h"

#include <QComboBox>
#include <QStringList>
#include <QTextDocument>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quorvel::test {

// Encoded Windows-1252 lines ending CR LF, as the program stores catalogues and favorites.
inline std::string EncodedLines(std::initializer_list<const char*> lines) {
    std::string bytes;
    for (const char* line : lines)
        bytes += EncodeLine(Utf8ToWindows1252(line)) + "\r\n";
    return bytes;
}

inline std::vector<std::string> Names(const ListRows& rows) {
    std::vector<std::string> names;
    for (int i = 1; i <= rows.Count(); ++i)
        names.push_back(rows.At(i).text);
    return names;
}

inline QStringList Items(const QComboBox& combo) {
    QStringList items;
    for (int i = 0; i < combo.count(); ++i)
        items << combo.itemText(i);
    return items;
}

// An application folder and settings hives of the test's own; main windows made here run
// without a player and collect their messages.
class Form1Fixture {
public:
    Form1Fixture() {
        // The single-instance lock and the user's data folder of these windows are the test's.
        m_env.Set("XDG_RUNTIME_DIR", m_hives.Dir().Path().string());
        m_env.Set("XDG_DATA_HOME", (m_hives.Dir().Path() / "data").string());
        LoadProductInfo();
        // Made first: a folder that cannot be written would count as an installed one.
        std::filesystem::create_directory(App());
        SetApplicationFolder(App());
    }
    ~Form1Fixture() {
        ReleaseInstanceLock();
        SetApplicationFolder({});
    }

    std::filesystem::path App() const { return m_hives.Dir().Path() / "app"; }
    void WriteAppFile(const std::string& name, const std::string& bytes) const {
        std::ofstream(App() / name, std::ios::binary) << bytes;
    }
    std::string ReadAppFile(const std::string& name) const {
        std::ifstream in(App() / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::string Setting(const char* key) const {
        return GetSetting(Branding().ProgramName, "Settings", key, "<absent>");
    }
    void Store(const char* key, const char* value) const {
        SaveSetting(Branding().ProgramName, "Settings", key, value);
    }

    std::unique_ptr<Form1> MakeForm() {
        Form1Options options;
        options.createPlayer = false;
        auto form = std::make_unique<Form1>(options);
        form->SetMessagePresenter([this](QWidget*, const QString& text) { messages << text; });
        return form;
    }

    QStringList messages;

private:
    ScopedHives m_hives;
    ScopedEnv m_env;
};

// What a tooltip shows: Qt renders it as markup when it looks like some.
inline QString ShownToolTip(const QString& tip) {
    if (!Qt::mightBeRichText(tip))
        return tip;
    QTextDocument document;
    document.setHtml(tip);
    return document.toPlainText();
}

}  // namespace quorvel::test
