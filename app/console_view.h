// SPDX-License-Identifier: MIT
#pragma once
// Console: shows the process's console log store, read-only, one screen line
// per logged line. Lines the store reports are queued and added in one go on
// the next turn of the event loop, so a long burst of logging stays cheap;
// flush() adds them at once. The store is bounded; the view shows what it
// holds. A second view can follow one that shows the store (the store has
// one listener) and shows the same, live.

#include <QPlainTextEdit>
#include <QStringList>
#include <QTimer>
#include <string_view>

class ConsoleLog;

class ConsoleView : public QPlainTextEdit {
  Q_OBJECT

 public:
  explicit ConsoleView(QWidget* parent = nullptr);
  ~ConsoleView() override;

  // Shows every line of the log and follows its appends and clears.
  void attach(ConsoleLog& log);
  void detach();

  // Shows what `source` shows and follows its additions and clears, in
  // place of a store of its own.
  void follow(ConsoleView& source);

  // Adds the queued lines now.
  void flush();

  // The text shown for one logged line (Windows-1250 bytes): decoded, with
  // control characters other than tab shown as visible symbols, so a CR or
  // LF from the module cannot split the line.
  static QString displayLine(std::string_view cp1250_line);

 signals:
  // The text flush() added at the end, and the shown text emptied.
  void textAdded(const QString& text);
  void shownCleared();

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
  QStringList pending_;
  bool shows_lines_ = false;
  QTimer flush_timer_;
  bool fontChosen_ = false;
};
