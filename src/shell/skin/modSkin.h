#pragma once

#include <QColor>
#include <QPointer>

namespace quorvel {

class Form;
class SkinControl;

// The skin control every window is skinned with; set by the splash window when the skin is
// on, empty otherwise (and once the splash window is gone).
extern QPointer<SkinControl> gSkin;

// Colours the window's ordinary controls with the skin's colours A, B and C, gives the
// window the skin's look and, where the platform shapes windows, resets its region. Every
// step that fails is passed over; without a skin the window stays as it was.
void SkinForm(Form& window);

// By classic type name, exact letter case: buttons get background A; text boxes, combo
// boxes, list boxes and list views background A and text B; picture boxes background C;
// anything else keeps its colours. The first control whose colour cannot be set ends the
// walk.
void ColorControls(Form& window, const QColor& a, const QColor& b, const QColor& c);

// Only Windows Vista and later shape skinned windows in a way that needs undoing.
bool IsVistaOrLater();

// Makes the whole window visible again, dropping any shape a skin gave it.
void ResetWindowRegion(Form& window);

enum class SkinLabelScope {
    // Only plain labels in the container of SkinLabel1(0).
    TemplateContainer,
    // Every plain label of the window.
    AnyContainer,
};

// Puts a skinned copy (a new element of the window's SkinLabel1 array) over each plain
// label in scope, with its place, size, font, caption and visibility. Returns how many
// copies were made.
int CopyLabelsToSkinLabels(Form& window, SkinLabelScope scope);

}  // namespace quorvel
