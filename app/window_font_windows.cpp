#include "app/window_font.h"

// Windows has "MS Sans Serif" itself, but as a bitmap font: Qt would draw it
// at the nearest bitmap size (too large under wine, blocky and unscaled on a
// high-DPI screen), and a substitution never applies to a font that exists.
// So the window asks for its TrueType kin: "Microsoft Sans Serif", the same
// design as an outline font, then Tahoma; both come with every Windows since
// 2000, and wine brings a Tahoma of its own.
QStringList window_font_families() {
  return {QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Tahoma")};
}
