#pragma once

#include "appearance/SkinFile.h"

#include <QColor>
#include <QString>
#include <QWidget>

#include <optional>

namespace quorvel {

class Form;

// The skin control of the splash window: holds one skin of the resources and dresses
// windows with it. It is never shown.
class SkinControl : public QWidget {
    Q_OBJECT
public:
    // Loads ":/skins/<skinName>.skin"; a skin that is missing or unreadable leaves the
    // control without one (LoadError says why), and then nothing is coloured.
    explicit SkinControl(const QString& skinName, QWidget* parent = nullptr);

    const std::optional<SkinFile>& Skin() const { return m_skin; }
    const QString& LoadError() const { return m_error; }
    // Replaces the skin (tests and a skin chosen later).
    void SetSkin(std::optional<SkinFile> skin) { m_skin = std::move(skin); }

    // The colours handed to ordinary controls; empty without a skin.
    std::optional<QColor> ColorA() const;
    std::optional<QColor> ColorB() const;
    std::optional<QColor> ColorC() const;

    // The look of the window: its palette, frames, list headers and skinned labels. False
    // without a skin.
    bool Apply(Form& window) const;

private:
    std::optional<SkinFile> m_skin;
    QString m_error;
};

QColor ToQColor(const SkinColor& color);

}  // namespace quorvel
