// SPDX-License-Identifier: MIT
#pragma once
// Text broken into lines of a width: at spaces, and anywhere in a word that
// is longer than a line, as the report's name column and the board's lamp
// names need it.

#include <QFont>
#include <QStringList>

class QPaintDevice;

// The lines in order, each with the spaces it was broken at; joined again
// they give the text; none for an empty text. `width` is in the device's units (the screen's when none).
QStringList wrapped_lines(const QString& text, const QFont& font, qreal width, const QPaintDevice* device = nullptr);
