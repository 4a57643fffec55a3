#include "shell/skin/SkinManager.h"

#include <QCoreApplication>

namespace quorvel {

SkinManager* gSkinManager = nullptr;

SkinManager& SkinManagerInstance() {
    if (!gSkinManager) {
        // Owned by the application object when there is one, so it goes with it.
        gSkinManager = new SkinManager(QCoreApplication::instance());
        QObject::connect(gSkinManager, &QObject::destroyed, [] { gSkinManager = nullptr; });
    }
    return *gSkinManager;
}

}  // namespace quorvel
