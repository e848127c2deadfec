// SPDX-License-Identifier: MIT
#pragma once
// The window "Konsola – ZEL17": the console that the service page keeps out
// of sight, shown live in a window of its own, with the service page's two
// tools for it, saving it to a file and clearing it.

#include <QWidget>

class ConsoleView;
class QPushButton;

class ConsoleWindow : public QWidget {
  Q_OBJECT

 public:
  // Shows what `console` shows, as it changes.
  explicit ConsoleWindow(ConsoleView& console, QWidget* parent = nullptr);

  ConsoleView* view() const { return view_; }

 signals:
  void saveRequested();
  void clearRequested();

 private:
  ConsoleView* view_;
};
