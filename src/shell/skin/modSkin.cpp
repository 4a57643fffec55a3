#include "shell/skin/modSkin.h"

#include "appearance/ProductInfo.h"
#include "shell/forms/Form.h"
#include "shell/skin/SkinControl.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QOperatingSystemVersion>
#include <QPalette>

#include <optional>
#include <vector>

namespace quorvel {

QPointer<SkinControl> gSkin;

namespace {

bool IsButton(const QWidget* widget) {
    return qobject_cast<const QAbstractButton*>(widget) != nullptr;
}

bool IsTextField(const QWidget* widget) {
    return qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QComboBox*>(widget) ||
           qobject_cast<const QAbstractScrollArea*>(widget);
}

// The roles that hold a control's background and text, as its kind paints them.
QPalette::ColorRole BackRole(const QWidget* widget) {
    if (IsButton(widget))
        return QPalette::Button;
    return IsTextField(widget) ? QPalette::Base : QPalette::Window;
}

QPalette::ColorRole ForeRole(const QWidget* widget) {
    if (IsButton(widget))
        return QPalette::ButtonText;
    return IsTextField(widget) ? QPalette::Text : QPalette::WindowText;
}

bool SetColor(const FormControl& control, QPalette::ColorRole (*role)(const QWidget*),
              const QColor& color) {
    QWidget* widget = control.Widget();
    if (!widget)
        return false;
    QPalette palette = widget->palette();
    // Only the roles set here become the control's own; the rest keep following the window.
    if (!widget->testAttribute(Qt::WA_SetPalette))
        palette.setResolveMask(0);
    palette.setColor(role(widget), color);
    // A drop-down without an edit field paints its face as a button.
    if (qobject_cast<QComboBox*>(widget))
        palette.setColor(role == BackRole ? QPalette::Button : QPalette::ButtonText, color);
    widget->setPalette(palette);
    if (role(widget) == QPalette::Window)
        widget->setAutoFillBackground(true);
    return true;
}

bool SetBackColor(const FormControl& control, const QColor& color) {
    return SetColor(control, BackRole, color);
}

bool SetForeColor(const FormControl& control, const QColor& color) {
    return SetColor(control, ForeRole, color);
}

}  // namespace

void ColorControls(Form& window, const QColor& a, const QColor& b, const QColor& c) {
    static const QStringList kTextControls{ControlType::TextBox,      ControlType::ComboBox,
                                           ControlType::FileListBox,  ControlType::DirListBox,
                                           ControlType::DriveListBox, QStringLiteral("ListBox"),
                                           ControlType::ListView};
    for (const FormControl& control : window.Controls()) {
        const QString& type = control.TypeName();
        bool ok = true;
        if (type == ControlType::CommandButton)
            ok = SetBackColor(control, a);
        else if (kTextControls.contains(type, Qt::CaseSensitive))
            ok = SetBackColor(control, a) && SetForeColor(control, b);
        else if (type == ControlType::PictureBox)
            ok = SetBackColor(control, c);
        if (!ok)
            return;
    }
}

void SkinForm(Form& window) {
    SkinControl* skin = gSkin.data();
    if (!skin)
        return;
    const std::optional<QColor> a = skin->ColorA();
    const std::optional<QColor> b = skin->ColorB();
    const std::optional<QColor> c = skin->ColorC();
    // Colours that could not be read would paint everything black: leave the controls be.
    if (a && b && c)
        ColorControls(window, *a, *b, *c);
    if (IsVistaOrLater() && Branding().SkinEnabled)
        ResetWindowRegion(window);
    skin->Apply(window);
}

bool IsVistaOrLater() {
#ifdef Q_OS_WIN
    return QOperatingSystemVersion::current().majorVersion() >= 6;
#else
    return false;
#endif
}

void ResetWindowRegion(Form& window) {
    window.clearMask();
}

int CopyLabelsToSkinLabels(Form& window, SkinLabelScope scope) {
    const FormControl* skinTemplate = window.Control(QStringLiteral("SkinLabel1"), 0);
    if (!skinTemplate || !skinTemplate->Widget())
        return 0;
    QObject* container = skinTemplate->Container();
    QWidget* parent = skinTemplate->Widget()->parentWidget();

    // Gathered first: loading new elements grows the list being walked.
    std::vector<FormControl> labels;
    for (const FormControl& control : window.Controls()) {
        if (control.TypeName() != ControlType::Label || !qobject_cast<QLabel*>(control.Widget()))
            continue;
        if (scope == SkinLabelScope::TemplateContainer && control.Container() != container)
            continue;
        labels.push_back(control);
    }
    for (const FormControl& plain : labels) {
        const auto* source = qobject_cast<QLabel*>(plain.Widget());
        auto* copy = window.AddControl(new QLabel(parent), QStringLiteral("SkinLabel1"),
                                       ControlType::SkinLabel,
                                       window.HighestIndex(QStringLiteral("SkinLabel1")) + 1);
        copy->setTextFormat(source->textFormat());
        copy->setWordWrap(source->wordWrap());
        copy->setAlignment(source->alignment());
        const FormControl& skinned = window.Controls().back();
        skinned.Move(plain.Left(), plain.Top(), plain.Width(), plain.Height());
        skinned.SetFont(plain.Font());
        skinned.SetCaption(plain.Caption());
        skinned.SetVisible(plain.Visible());
    }
    return static_cast<int>(labels.size());
}

}  // namespace quorvel
