#pragma once

#include <QFont>
#include <QPointer>
#include <QString>

class QObject;
class QWidget;

namespace quorvel {

class Form;

// Classic type names of the controls, as localization and the skin compare them.
namespace ControlType {
inline const QString Label = QStringLiteral("Label");
inline const QString CommandButton = QStringLiteral("CommandButton");
inline const QString Frame = QStringLiteral("Frame");
inline const QString ListView = QStringLiteral("ListView");
inline const QString ComboBox = QStringLiteral("ComboBox");
inline const QString TextBox = QStringLiteral("TextBox");
inline const QString CheckBox = QStringLiteral("CheckBox");
inline const QString Menu = QStringLiteral("Menu");
inline const QString Timer = QStringLiteral("Timer");
inline const QString PictureBox = QStringLiteral("PictureBox");
inline const QString Image = QStringLiteral("Image");
inline const QString DriveListBox = QStringLiteral("DriveListBox");
inline const QString DirListBox = QStringLiteral("DirListBox");
inline const QString FileListBox = QStringLiteral("FileListBox");
inline const QString SkinLabel = QStringLiteral("SkinLabel");
inline const QString Skin = QStringLiteral("Skin");
inline const QString WindowsMediaPlayer = QStringLiteral("WindowsMediaPlayer");
inline const QString WebBrowser = QStringLiteral("WebBrowser");
}  // namespace ControlType

// One control of a window as the form model describes it: the Qt object behind it (a
// widget, a QAction for a menu or menu item, a QTimer), its classic type name, its index in
// a control array and the control it sits in. The elements of a control array share one
// name. The accessors work whatever the Qt class is; a property a control lacks reads as
// empty (or 0) and ignores writes, so walkers can treat every control alike. A FormControl
// is a handle: its setters change the control, never the handle.
class FormControl {
public:
    FormControl(QObject* object, QString typeName, int index, QObject* container);

    QObject* Object() const { return m_object; }
    // The widget, or null for menus and timers.
    QWidget* Widget() const;
    QString Name() const;
    const QString& TypeName() const { return m_typeName; }
    // Index in its control array; -1 when the control is not part of one.
    int Index() const { return m_index; }
    bool InArray() const { return m_index >= 0; }
    // The frame (or other control) that holds it, or the window itself.
    QObject* Container() const { return m_container; }

    // Caption of labels, buttons, frames, check boxes and menus; the text of text boxes
    // and combo boxes.
    QString Caption() const;
    void SetCaption(const QString& caption) const;

    // Column headers of a list view, counted from 1.
    int ColumnCount() const;
    QString ColumnText(int column) const;
    void SetColumnText(int column, const QString& text) const;

    QFont Font() const;
    void SetFont(const QFont& font) const;
    bool Visible() const;
    void SetVisible(bool visible) const;

    // Position and size in twips, relative to the container's client area, read back exactly
    // as last set while the widget stays where it was put; 0 for controls
    // without a place (menus, timers).
    int Left() const;
    int Top() const;
    int Width() const;
    int Height() const;
    void Move(int left, int top, int width, int height) const;

private:
    QPointer<QObject> m_object;
    QString m_typeName;
    int m_index = -1;
    QPointer<QObject> m_container;
};

// Places a widget in twips, relative to its parent.
void SetTwipsGeometry(QWidget* widget, int left, int top, int width, int height);

}  // namespace quorvel
