// SPDX-License-Identifier: MIT
#include "app/window_font.h"

// The free kin of "MS Sans Serif", named directly: asked for by its own name,
// the font system first looks for a family that is not there, which cost a
// noticeable part of the start-up. setup_application's substitution still
// serves anything that names "MS Sans Serif" itself.
QStringList window_font_families() { return {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")}; }
