#include "shell/forms/Form.h"

#include "shell/forms/CaptionFit.h"
#include "shell/widgets/Twips.h"

#include <QAbstractButton>
#include <QAction>
#include <QEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QVBoxLayout>

#include <algorithm>

namespace quorvel {
namespace {

std::vector<Form*>& Loaded() {
    static std::vector<Form*> forms;
    return forms;
}

void Forget(Form* form) {
    auto& forms = Loaded();
    forms.erase(std::remove(forms.begin(), forms.end(), form), forms.end());
}

}  // namespace

Form::Form(const QString& name, QWidget* parent) : QWidget(parent) {
    setObjectName(name);
    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
    // Controls are placed in twips, not by a layout.
    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("ClientArea"));
    m_layout->addWidget(m_client);
    Loaded().push_back(this);
}

Form::~Form() {
    Forget(this);
}

QMenuBar* Form::MenuBar() {
    if (!m_menuBar) {
        m_menuBar = new QMenuBar(this);
        m_layout->setMenuBar(m_menuBar);
    }
    return m_menuBar;
}

const FormControl* Form::Control(const QString& name, int index) const {
    for (const FormControl& control : m_controls) {
        if (control.Index() == index && control.Name() == name)
            return &control;
    }
    return nullptr;
}

int Form::HighestIndex(const QString& name) const {
    int highest = -1;
    for (const FormControl& control : m_controls) {
        if (control.Name() == name)
            highest = std::max(highest, control.Index());
    }
    return highest;
}

QMenu* Form::AddMenu(const QString& name, const QString& caption) {
    QMenu* menu = MenuBar()->addMenu(caption);
    menu->setObjectName(name);
    Register(menu->menuAction(), name, ControlType::Menu, -1);
    return menu;
}

QAction* Form::AddMenuItem(QMenu* menu, const QString& name, const QString& caption, int index) {
    QAction* action =
        caption == QStringLiteral("-") ? menu->addSeparator() : menu->addAction(caption);
    if (action->isSeparator())
        FormControl(action, ControlType::Menu, index, nullptr).SetCaption(caption);
    Register(action, name, ControlType::Menu, index);
    return action;
}

bool Form::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show || event->type() == QEvent::Resize)
        FitCaptionToWidth(static_cast<QWidget*>(watched));
    return QWidget::eventFilter(watched, event);
}

void Form::Register(QObject* object, const QString& name, const QString& typeName, int index) {
    object->setObjectName(name);
    if (qobject_cast<QAbstractButton*>(object) || qobject_cast<QLabel*>(object))
        object->installEventFilter(this);
    m_controls.emplace_back(object, typeName, index, ContainerOf(object));
}

QObject* Form::ContainerOf(QObject* object) const {
    // A menu item sits in its menu; a widget in the nearest registered control above it.
    if (auto* action = qobject_cast<QAction*>(object)) {
        for (const FormControl& control : m_controls) {
            auto* menuAction = qobject_cast<QAction*>(control.Object());
            if (menuAction && menuAction->menu() && menuAction->menu()->actions().contains(action))
                return menuAction;
        }
        return const_cast<Form*>(this);
    }
    for (QObject* parent = object->parent(); parent && parent != this; parent = parent->parent()) {
        for (const FormControl& control : m_controls) {
            if (control.Object() == parent)
                return parent;
        }
    }
    return const_cast<Form*>(this);
}

int Form::Width() const {
    return PixelsToTwips(isWindow() ? frameGeometry().width() : width());
}

int Form::Height() const {
    return PixelsToTwips(isWindow() ? frameGeometry().height() : height());
}

void Form::Resize(int widthTwips, int heightTwips) {
    const QSize frame = isWindow() ? frameGeometry().size() - size() : QSize();
    resize(TwipsToPixels(widthTwips) - frame.width(), TwipsToPixels(heightTwips) - frame.height());
}

void Form::ResizeClient(int widthTwips, int heightTwips) {
    const int menuHeight = m_menuBar ? m_menuBar->sizeHint().height() : 0;
    resize(TwipsToPixels(widthTwips), TwipsToPixels(heightTwips) + menuHeight);
}

void Form::Unload() {
    if (!m_loaded)
        return;
    m_loaded = false;
    Forget(this);
    Form_Unload();
    hide();
    deleteLater();
}

const std::vector<Form*>& Form::LoadedForms() {
    return Loaded();
}

Form* Form::FindLoaded(const QString& name) {
    for (Form* form : Loaded()) {
        if (form->objectName() == name)
            return form;
    }
    return nullptr;
}

void Form::UnloadByName(const QString& name) {
    if (Form* form = FindLoaded(name))
        form->Unload();
}

}  // namespace quorvel
