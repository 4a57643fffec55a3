#include "shell/localization/FormLocalization.h"

#include "localization/clsLanguages.h"
#include "shell/forms/CaptionFit.h"
#include "shell/forms/Form.h"
#include "shell/localization/QtLanguage.h"
#include "shell/widgets/ProgramTranslator.h"

#include <QAction>
#include <QTabBar>
#include <QTabWidget>

namespace quorvel {
namespace {

std::string ToStd(const QString& text) {
    return text.toStdString();
}

class ControlAdapter : public LocalizableControl {
public:
    explicit ControlAdapter(FormControl control) : m_control(std::move(control)) {}

    std::string Name() const override { return ToStd(m_control.Name()); }
    std::string TypeName() const override { return ToStd(m_control.TypeName()); }
    std::optional<int> Index() const override {
        return m_control.InArray() ? std::optional<int>(m_control.Index()) : std::nullopt;
    }
    bool Caption(std::string& text) const override {
        if (!m_control.Object())
            return false;
        text = ToStd(m_control.Caption());
        return true;
    }
    bool SetCaption(const std::string& text) override {
        if (!m_control.Object())
            return false;
        m_control.SetCaption(QString::fromStdString(text));
        return true;
    }
    int ItemCount() const override {
        if (QTabBar* tabs = Tabs())
            return tabs->count();
        return m_control.ColumnCount();
    }
    bool ItemText(int n, std::string& text) const override {
        if (n < 1 || n > ItemCount())
            return false;
        const QTabBar* tabs = Tabs();
        text = ToStd(tabs ? tabs->tabText(n - 1) : m_control.ColumnText(n));
        return true;
    }
    bool SetItemText(int n, const std::string& text) override {
        if (n < 1 || n > ItemCount())
            return false;
        if (QTabBar* tabs = Tabs())
            tabs->setTabText(n - 1, QString::fromStdString(text));
        else
            m_control.SetColumnText(n, QString::fromStdString(text));
        return true;
    }
    bool Refresh() override {
        QWidget* widget = m_control.Widget();
        if (!widget)
            return false;  // menu items have nothing to repaint
        FitCaptionToWidth(widget);
        widget->update();
        return true;
    }

private:
    QTabBar* Tabs() const {
        QObject* object = m_control.Object();
        if (auto* bar = qobject_cast<QTabBar*>(object))
            return bar;
        if (auto* widget = qobject_cast<QTabWidget*>(object))
            return widget->tabBar();
        return nullptr;
    }

    FormControl m_control;
};

class WindowAdapter : public LocalizableWindow {
public:
    explicit WindowAdapter(Form& form) : m_form(form) {}

    std::string Name() const override { return ToStd(m_form.Name()); }
    void ForEachControl(const std::function<void(LocalizableControl&)>& visit) override {
        for (const FormControl& control : m_form.Controls()) {
            ControlAdapter adapter(control);
            visit(adapter);
        }
    }

private:
    Form& m_form;
};

}  // namespace

void ChangeLanguage(Form& form, const QString& language) {
    WindowAdapter window(form);
    gLanguages.ChangeLanguage(window, ToStd(language));
    ApplyQtLanguage();
    AnnounceLanguageApplied();
}

void ChangeLanguageMDI(Form& form, const QString& language) {
    WindowAdapter window(form);
    gLanguages.ChangeLanguageMDI(window, ToStd(language));
    ApplyQtLanguage();
    AnnounceLanguageApplied();
}

bool MakeLocalizationFile() {
    std::vector<WindowAdapter> adapters;
    adapters.reserve(Form::LoadedForms().size());
    for (Form* form : Form::LoadedForms())
        adapters.emplace_back(*form);
    std::vector<LocalizableWindow*> windows;
    for (WindowAdapter& adapter : adapters)
        windows.push_back(&adapter);
    return gLanguages.makeLocalizationFile(windows);
}

}  // namespace quorvel
