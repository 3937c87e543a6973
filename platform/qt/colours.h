#pragma once

#include <QColor>
#include <QPalette>

#include "platform/colour.h"

namespace hueclip::qt {

// The palette role that stands for a system colour, by its index in the Windows colour scheme.
QPalette::ColorRole RoleOfSystemColour(int index);

// The colour a colour property shows: a packed colour as it is, a system colour reference as
// the palette has it now. Properties keep the reference; only drawing resolves it.
QColor Resolve(Colour colour, const QPalette& palette);

}  // namespace hueclip::qt
