// SPDX-License-Identifier: MIT
#include "app/window_font.h"

// Asked for by its own name: setup_application substitutes it with
// Liberation Sans, or DejaVu Sans where that is missing.
QStringList window_font_families() { return {QStringLiteral("MS Sans Serif")}; }
