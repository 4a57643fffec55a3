#pragma once

#include "shell/forms/FormControl.h"

#include <QWidget>

#include <deque>
#include <vector>

class QAction;
class QMenu;
class QMenuBar;
class QVBoxLayout;

namespace quorvel {

// A window of the form model. Its objectName is the window's name ("Form1", "frmAbout"); it
// is loaded (listed in LoadedForms) from construction until Unload or destruction.
//
// Controls are registered in design order with their classic type name and array index;
// localization, the skin and the localization generator walk Controls(). Controls whose
// container is the window are children of ClientArea(), which sits below the menu bar (when
// the window has one), so twips positions count from the client area's corner as designed.
//
// Typical use inside a window's constructor:
//     cmdTV = AddControl(new QPushButton(ClientArea()), "cmdTV", ControlType::CommandButton);
//     mnuCatItem0 = AddMenuItem(mnuCat, "mnuCatItem", "TV", 0);
class Form : public QWidget {
    Q_OBJECT
public:
    explicit Form(const QString& name, QWidget* parent = nullptr);
    ~Form() override;

    QString Name() const { return objectName(); }
    QWidget* ClientArea() const { return m_client; }
    // The menu bar, created on first use.
    QMenuBar* MenuBar();

    // The controls in design order (menu items and controls inside frames included). The
    // references stay valid while the window lives.
    const std::deque<FormControl>& Controls() const { return m_controls; }
    // The control of that name and index (-1: not in an array), or null.
    const FormControl* Control(const QString& name, int index = -1) const;
    // Highest index of a control array, or -1 when it has no element.
    int HighestIndex(const QString& name) const;

    // Registers a control made by the caller; its container is the nearest registered
    // ancestor widget, or the window. Sets the objectName. Returns the object.
    template <class T>
    T* AddControl(T* object, const QString& name, const QString& typeName, int index = -1) {
        Register(object, name, typeName, index);
        return object;
    }
    // A top-level menu of the menu bar ("mnuFile"); registered as a "Menu" control.
    QMenu* AddMenu(const QString& name, const QString& caption);
    // A menu item inside a menu; "-" as caption makes a separator, as the classic designer did.
    QAction* AddMenuItem(QMenu* menu, const QString& name, const QString& caption, int index = -1);

    // The window's outer size in twips (frame included where the platform reports one).
    int Width() const;
    int Height() const;
    void Resize(int widthTwips, int heightTwips);
    // Client area size in twips.
    void ResizeClient(int widthTwips, int heightTwips);

    // Leaves the loaded windows, hides and deletes the window later. Safe to call twice.
    void Unload();
    bool IsLoaded() const { return m_loaded; }

    // Loaded windows, in the order they were loaded.
    static const std::vector<Form*>& LoadedForms();
    static Form* FindLoaded(const QString& name);
    // The loaded window of that class, or a new one (loading it). A load request for a
    // window that is already loaded gives that window.
    template <class T, class... Args>
    static T* Load(Args&&... args) {
        for (Form* form : LoadedForms()) {
            if (auto* typed = dynamic_cast<T*>(form); typed && form->m_loaded)
                return typed;
        }
        return new T(std::forward<Args>(args)...);
    }
    // Unloads the window of that name when it is loaded; otherwise nothing happens.
    static void UnloadByName(const QString& name);

protected:
    // Runs when the window is unloaded, before it goes.
    virtual void Form_Unload() {}
    // Captions are fitted to their controls whenever a control shows or changes size.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Register(QObject* object, const QString& name, const QString& typeName, int index);
    QObject* ContainerOf(QObject* object) const;

    QVBoxLayout* m_layout = nullptr;
    QWidget* m_client = nullptr;
    QMenuBar* m_menuBar = nullptr;
    std::deque<FormControl> m_controls;
    bool m_loaded = true;
};

}  // namespace quorvel
