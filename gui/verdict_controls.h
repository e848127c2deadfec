// SPDX-License-Identifier: MIT
#pragma once
// The verdict on the event a commissioning test shows, by buttons or keys,
// as the walk's and the field test's tabs both take it: Return is "OK"; B
// opens the comment of a fault ("Błąd"), which Return gives; Escape takes
// the comment back (takeBackComment()). The keys work anywhere in the tab's
// window while the tab is shown and the verdict is open.

#include <QObject>
#include <QString>

class QAbstractItemView;
class QHBoxLayout;
class QLineEdit;
class QModelIndex;
class QPushButton;
class QWidget;

class VerdictControls : public QObject {
  Q_OBJECT

 public:
  // The buttons and the comment field made in `tab`, named after `prefix`
  // ("Walk": "WalkVerdictOk", "WalkVerdictFault", "WalkComment"). Return on
  // `list`, while it has the focus, chooses its current line instead.
  VerdictControls(QWidget* tab, const char* prefix, QAbstractItemView* list = nullptr);

  void setList(QAbstractItemView* list) { list_ = list; }
  // The buttons and the comment in a row, for the tab's layout.
  QHBoxLayout* makeRow() const;
  QLineEdit* comment() const { return comment_; }

  // A verdict may be given now.
  void setOpen(bool open);
  // The comment being typed taken back, the focus to the tab; false when none was being typed.
  bool takeBackComment();

 signals:
  // "OK", or "Błąd" with its comment.
  void verdictGiven(bool ok, const QString& comment);
  // Return on the list's current line.
  void lineChosen(const QModelIndex& index);

 private:
  void give(bool ok);
  bool open() const;

  QWidget* tab_;
  QAbstractItemView* list_;
  QPushButton* ok_;
  QPushButton* fault_;
  QLineEdit* comment_;
};
