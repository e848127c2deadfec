// SPDX-License-Identifier: MIT
#pragma once
// A name's line editor, in the "Nazwy" dialog's fields and lists: typing
// stops at kMaxNameLength characters; a longer text that came whole (pasted
// or dropped) stays as it came, shown as refused (red, with a tool tip
// saying how long it is) until it is shortened, and the dialog names it.

#include <QLineEdit>
#include <QString>

// The name as the dialog takes it (config/name_text.h: one trimmed line).
QString cleaned_name(const QString& text);
// Its characters, when it is longer than a name may be; 0 when it fits.
int name_overflow(const QString& text);
// "Za długa nazwa: 64 znaki, najwyżej 60.", empty when it fits.
QString name_overflow_tip(const QString& text);
// The ground a refused name is shown on.
QColor refused_name_colour();

class NameEdit : public QLineEdit {
  Q_OBJECT

 public:
  explicit NameEdit(QWidget* parent = nullptr);
  explicit NameEdit(const QString& text, QWidget* parent = nullptr);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void showFit();
};
