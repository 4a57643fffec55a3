#include "shell/skin/SkinControl.h"

#include "shell/forms/Form.h"

#include <QFile>
#include <QLabel>
#include <QPalette>

namespace quorvel {

QColor ToQColor(const SkinColor& color) {
    return {color.red, color.green, color.blue};
}

SkinControl::SkinControl(const QString& skinName, QWidget* parent) : QWidget(parent) {
    hide();
    QFile file(QStringLiteral(":/skins/%1.skin").arg(skinName));
    if (!file.open(QIODevice::ReadOnly)) {
        m_error = QStringLiteral("no skin named \"%1\"").arg(skinName);
        return;
    }
    // One byte past the cap, so the parser sees that the file is too large.
    const QByteArray bytes = file.read(static_cast<qint64>(kMaxSkinFileBytes) + 1);
    SkinParseResult parsed = ParseSkinFile(std::string_view(bytes.constData(), bytes.size()));
    m_skin = std::move(parsed.skin);
    m_error = QString::fromStdString(parsed.error);
}

std::optional<QColor> SkinControl::ColorA() const {
    return m_skin ? std::optional(ToQColor(m_skin->colorA)) : std::nullopt;
}

std::optional<QColor> SkinControl::ColorB() const {
    return m_skin ? std::optional(ToQColor(m_skin->colorB)) : std::nullopt;
}

std::optional<QColor> SkinControl::ColorC() const {
    return m_skin ? std::optional(ToQColor(m_skin->colorC)) : std::nullopt;
}

bool SkinControl::Apply(Form& window) const {
    if (!m_skin)
        return false;
    const SkinFile& skin = *m_skin;

    // Controls that were given colours of their own keep them: a palette set on a child
    // wins over the window's for the roles it names.
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, ToQColor(skin.window.background));
    palette.setColor(QPalette::WindowText, ToQColor(skin.window.text));
    palette.setColor(QPalette::Base, ToQColor(skin.colorA));
    palette.setColor(QPalette::AlternateBase, ToQColor(skin.window.panel));
    palette.setColor(QPalette::Text, ToQColor(skin.colorB));
    palette.setColor(QPalette::Button, ToQColor(skin.colorA));
    palette.setColor(QPalette::ButtonText, ToQColor(skin.button.text));
    palette.setColor(QPalette::Highlight, ToQColor(skin.list.selection));
    palette.setColor(QPalette::HighlightedText, ToQColor(skin.list.selectionText));
    window.setPalette(palette);
    window.setAutoFillBackground(true);

    for (const FormControl& control : window.Controls()) {
        if (control.TypeName() == ControlType::SkinLabel && control.Widget())
            control.Widget()->setProperty("skinLabel", true);
    }
    // Frames, list headers and label text take what the window's palette cannot say.
    const QString sheet = QStringLiteral(
        "QGroupBox { background-color: %1; color: %3; border: 1px solid %2; border-radius: 4px;"
        " margin-top: 8px; padding-top: 4px; }"
        "QAbstractButton { color: %6; }"
        "QLabel { color: %3; }"
        "QLabel[skinLabel=\"true\"] { color: %7; }"
        "QGroupBox::title { subcontrol-origin: margin; left: 8px; padding: 0 3px; color: %3; }"
        "QHeaderView::section { background-color: %4; color: %5; border: none;"
        " border-right: 1px solid %2; border-bottom: 1px solid %2; padding: 2px 4px; }");
    window.setStyleSheet(sheet.arg(QString::fromStdString(SkinColorText(skin.window.panel)),
                                   QString::fromStdString(SkinColorText(skin.window.border)),
                                   QString::fromStdString(SkinColorText(skin.window.text)),
                                   QString::fromStdString(SkinColorText(skin.list.header)),
                                   QString::fromStdString(SkinColorText(skin.list.headerText)),
                                   QString::fromStdString(SkinColorText(skin.button.text)),
                                   QString::fromStdString(SkinColorText(skin.label.text))));

    for (const FormControl& control : window.Controls()) {
        auto* label = qobject_cast<QLabel*>(control.Widget());
        if (!label || control.TypeName() != ControlType::SkinLabel)
            continue;
        QPalette labelPalette = label->palette();
        labelPalette.setColor(QPalette::WindowText, ToQColor(skin.label.text));
        labelPalette.setColor(QPalette::Window, ToQColor(skin.label.background));
        label->setPalette(labelPalette);
        // Opaque, so that it covers the plain label it stands in for.
        label->setAutoFillBackground(true);
    }
    return true;
}

}  // namespace quorvel
