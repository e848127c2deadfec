// SPDX-License-Identifier: MIT
#include "gui/name_edit.h"

#include <QKeyEvent>
#include <QPalette>

#include "config/name_text.h"
#include "text/counted.h"

QString cleaned_name(const QString& text) { return QString::fromStdString(clean_name(text.toStdString())); }

int name_overflow(const QString& text) {
  const std::size_t length = name_length(clean_name(text.toStdString()));
  return length > kMaxNameLength ? static_cast<int>(length) : 0;
}

QString name_overflow_tip(const QString& text) {
  const int length = name_overflow(text);
  if (length == 0) return {};
  return QString::fromStdString("Za długa nazwa: " + counted(static_cast<std::uint64_t>(length), "znak", "znaki", "znaków") +
                                ", najwyżej " + std::to_string(kMaxNameLength) + ".");
}

QColor refused_name_colour() { return QColor(255, 200, 200); }

NameEdit::NameEdit(QWidget* parent) : NameEdit(QString(), parent) {}

NameEdit::NameEdit(const QString& text, QWidget* parent) : QLineEdit(text, parent) {
  connect(this, &QLineEdit::textChanged, this, &NameEdit::showFit);
  showFit();
}

// A typed character that would make the name too long is not taken; the
// keys that shorten it, move or edit otherwise work as ever.
void NameEdit::keyPressEvent(QKeyEvent* event) {
  const QString typed = event->text();
  if (!typed.isEmpty() && typed.front().isPrint() && !event->matches(QKeySequence::Paste)) {
    QString after = text();
    if (hasSelectedText()) {
      after.replace(selectionStart(), selectedText().size(), typed);
    } else {
      after.insert(cursorPosition(), typed);
    }
    const auto length = [](const QString& name) { return name_length(clean_name(name.toStdString())); };
    if (length(after) > kMaxNameLength && length(after) > length(text())) return event->accept();
  }
  QLineEdit::keyPressEvent(event);
}

void NameEdit::showFit() {
  const QString tip = name_overflow_tip(text());
  setToolTip(tip);
  QPalette colours = palette();
  colours.setColor(QPalette::Base, tip.isEmpty() ? QPalette().color(QPalette::Base) : refused_name_colour());
  setPalette(colours);
}
