// SPDX-License-Identifier: MIT
#include "gui/verdict_controls.h"

#include <QAbstractItemView>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>

namespace {

QPushButton* verdict_button(QWidget* tab, const QString& name, const QString& text) {
  auto* button = new QPushButton(text, tab);
  button->setObjectName(name);
  button->setFocusPolicy(Qt::TabFocus);  // a click leaves the keys to the tab
  return button;
}

}  // namespace

VerdictControls::VerdictControls(QWidget* tab, const char* prefix, QAbstractItemView* list)
    : QObject(tab), tab_(tab), list_(list) {
  const QString name = QString::fromLatin1(prefix);
  ok_ = verdict_button(tab, name + QStringLiteral("VerdictOk"), QStringLiteral("OK"));
  fault_ = verdict_button(tab, name + QStringLiteral("VerdictFault"), QString::fromUtf8("Błąd"));
  comment_ = new QLineEdit(tab);
  comment_->setObjectName(name + QStringLiteral("Comment"));
  comment_->setPlaceholderText(QStringLiteral("Uwagi do błędu (B, potem Enter)"));

  connect(ok_, &QPushButton::clicked, this, [this] { give(true); });
  connect(fault_, &QPushButton::clicked, this, [this] { give(false); });
  connect(comment_, &QLineEdit::returnPressed, this, [this] { give(false); });

  // Return on a line of the list chooses it; elsewhere it gives the verdict.
  for (Qt::Key enter : {Qt::Key_Return, Qt::Key_Enter}) {
    auto* shortcut = new QShortcut(QKeySequence(enter), tab);
    shortcut->setContext(Qt::WindowShortcut);  // wherever the focus is in the tab's window
    connect(shortcut, &QShortcut::activated, this, [this] {
      if (!tab_->isVisible()) return;
      if (list_ && list_->hasFocus()) {
        emit lineChosen(list_->currentIndex());
        return;
      }
      if (open()) give(!comment_->hasFocus());
    });
  }
  auto* fault_key = new QShortcut(QKeySequence(Qt::Key_B), tab);
  fault_key->setContext(Qt::WindowShortcut);
  connect(fault_key, &QShortcut::activated, this, [this] {
    if (tab_->isVisible() && open()) comment_->setFocus(Qt::ShortcutFocusReason);
  });
}

QHBoxLayout* VerdictControls::makeRow() const {
  auto* row = new QHBoxLayout;
  row->addWidget(ok_);
  row->addWidget(fault_);
  row->addWidget(comment_, 1);
  return row;
}

void VerdictControls::setOpen(bool open) {
  for (QWidget* verdict : std::initializer_list<QWidget*>{ok_, fault_, comment_}) verdict->setEnabled(open);
}

bool VerdictControls::open() const { return ok_->isEnabled(); }

bool VerdictControls::takeBackComment() {
  if (!comment_->hasFocus()) return false;
  comment_->clear();
  tab_->setFocus(Qt::OtherFocusReason);
  return true;
}

void VerdictControls::give(bool ok) {
  const QString comment = ok ? QString() : comment_->text().trimmed();
  comment_->clear();
  tab_->setFocus(Qt::OtherFocusReason);  // the keys steer the test again
  emit verdictGiven(ok, comment);
}
