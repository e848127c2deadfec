// SPDX-License-Identifier: MIT
#pragma once
// The window "Konsola – ZEL17": the console that the service page keeps out
// of sight, shown live in a window of its own, with the service page's two
// tools for it, saving it to a file and clearing it.

#include <QWidget>

class ConsoleLog;
class ConsoleView;
class QPushButton;

class ConsoleWindow : public QWidget {
  Q_OBJECT

 public:
  // Shows what `log` holds, as it changes.
  explicit ConsoleWindow(ConsoleLog& log, QWidget* parent = nullptr);

  ConsoleView* view() const { return view_; }

 signals:
  void saveRequested();
  void clearRequested();

 private:
  ConsoleView* view_;
};
