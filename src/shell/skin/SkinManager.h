#pragma once

#include <QObject>
#include <QPointer>

namespace quorvel {

// The program-wide skin manager the splash window hands its skin to. It keeps the skin for
// the life of the program; windows are skinned one by one as they load, so activating the
// manager changes nothing on screen.
class SkinManager : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    void AttachSkin(QObject* skin) { m_skin = skin; }
    QObject* AttachedSkin() const { return m_skin.data(); }
    void Activate() { m_active = true; }
    bool Active() const { return m_active; }

private:
    QPointer<QObject> m_skin;
    bool m_active = false;
};

// Made on first use by SkinManagerInstance; lives until the program ends.
extern SkinManager* gSkinManager;
SkinManager& SkinManagerInstance();

}  // namespace quorvel
