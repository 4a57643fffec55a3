#include "shell/localization/FormLocalization.h"

#include "localization/clsLanguages.h"
#include "shell/forms/Form.h"
#include "shell/widgets/PlainText.h"

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>

namespace quorvel {
namespace {

constexpr char kDesignFont[] = "quorvelDesignFont";
constexpr char kFitTip[] = "quorvelFitTip";
constexpr char kOwnFont[] = "quorvelOwnFont";
constexpr qreal kSmallestPointSize = 6.0;

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

QString PlainCaption(const QAbstractButton* button, const QLabel* label) {
    QString caption = button ? button->text() : label->text();
    caption.remove(QRegularExpression(QStringLiteral("&(?!&)")));
    return caption;
}

// Whether the caption is wider than the room the control leaves for its text. Measured on
// the text itself: a push button's size hint has a minimum width of its own.
bool CaptionOverflows(QWidget* widget, const QAbstractButton* button, const QLabel* label) {
    const QStyle* style = widget->style();
    int room = widget->contentsRect().width();
    if (qobject_cast<const QPushButton*>(widget)) {
        room -= 2 * (style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, widget) +
                     style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, widget));
    } else if (auto* tool = qobject_cast<const QToolButton*>(widget)) {
        room -= 2 * style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, widget);
        if (tool->toolButtonStyle() == Qt::ToolButtonTextBesideIcon && !tool->icon().isNull())
            room -= tool->iconSize().width() + 4;
    } else if (button) {
        room -= style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, widget) +
                style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, widget);
    }
    return widget->fontMetrics().horizontalAdvance(PlainCaption(button, label)) > room;
}

}  // namespace

void ChangeLanguage(Form& form, const QString& language) {
    WindowAdapter window(form);
    gLanguages.ChangeLanguage(window, ToStd(language));
}

void ChangeLanguageMDI(Form& form, const QString& language) {
    WindowAdapter window(form);
    gLanguages.ChangeLanguageMDI(window, ToStd(language));
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

void FitCaptionToWidth(QWidget* widget) {
    auto* button = qobject_cast<QAbstractButton*>(widget);
    auto* label = qobject_cast<QLabel*>(widget);
    if (!button && !(label && !label->wordWrap()))
        return;
    // Back to the design font first, so a shorter caption gets its full size again.
    const QVariant design = widget->property(kDesignFont);
    if (design.isValid()) {
        widget->setFont(design.value<QFont>());
        if (!widget->property(kOwnFont).toBool())
            widget->setAttribute(Qt::WA_SetFont, false);
        widget->setProperty(kDesignFont, QVariant());
    }
    if (widget->property(kFitTip).toBool()) {
        widget->setToolTip({});
        widget->setProperty(kFitTip, QVariant());
    }
    QFont font = widget->font();
    if (widget->width() <= 0 || font.pointSizeF() <= 0 || !CaptionOverflows(widget, button, label))
        return;

    widget->setProperty(kDesignFont, font);
    widget->setProperty(kOwnFont, widget->testAttribute(Qt::WA_SetFont));
    while (CaptionOverflows(widget, button, label) &&
           font.pointSizeF() - 0.5 >= kSmallestPointSize) {
        font.setPointSizeF(font.pointSizeF() - 0.5);
        widget->setFont(font);
    }
    if (widget->toolTip().isEmpty()) {
        widget->setToolTip(PlainToolTip(PlainCaption(button, label)));
        widget->setProperty(kFitTip, true);
    }
}

}  // namespace quorvel
