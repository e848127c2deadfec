// SPDX-License-Identifier: MIT
#pragma once
// Console: shows the process's console log store, read-only, one screen line
// per logged line. Lines the store reports are queued and added in one go on
// the next turn of the event loop, so a long burst of logging stays cheap;
// flush() adds them at once. The store is bounded; the view shows what it
// holds, its counted repeats and dropped lines included. Any number of views
// may show one store (the service page's console, the console window).

#include <QPlainTextEdit>
#include <QStringList>
#include <QTimer>
#include <cstdint>
#include <string_view>

class ConsoleLog;

class ConsoleView : public QPlainTextEdit {
  Q_OBJECT

 public:
  explicit ConsoleView(QWidget* parent = nullptr);
  ~ConsoleView() override;

  // Shows every line of the log and follows every change of it.
  void attach(ConsoleLog& log);
  void detach();

  // Adds the queued lines now.
  void flush();

  // The text shown for one logged line (Windows-1250 bytes): decoded, with
  // control characters other than tab shown as visible symbols, so a CR or
  // LF from the module cannot split the line.
  static QString displayLine(std::string_view cp1250_line);

 protected:
  void changeEvent(QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void queue(std::string_view line);
  void replaceLast(std::string_view line);
  void refill();
  void clearShown();
  // Adds `text` at the end, keeping the end in view if it was.
  void addShown(const QString& text);
  void updateTabStops();

  ConsoleLog* log_ = nullptr;
  std::uint64_t listener_ = 0;  // this view's listener of log_
  QStringList pending_;
  bool shows_lines_ = false;
  QTimer flush_timer_;
  bool fontChosen_ = false;
};
