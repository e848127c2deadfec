// SPDX-License-Identifier: MIT
#include "gui/wrapped_text.h"

#include <QTextLayout>
#include <algorithm>

QStringList wrapped_lines(const QString& text, const QFont& font, qreal width, const QPaintDevice* device) {
  if (text.isEmpty()) return {};
  QTextLayout layout(text, font, device);
  QTextOption option;
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  layout.setTextOption(option);
  QStringList lines;
  layout.beginLayout();
  for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
    line.setLineWidth(std::max<qreal>(width, 1));
    lines << text.mid(line.textStart(), line.textLength());
  }
  layout.endLayout();
  return lines;
}
