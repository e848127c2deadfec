// SPDX-License-Identifier: MIT
#include "app/console_view.h"

#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

#include "protocol/console_log.h"
#include "text/cp1250.h"

namespace {
QFont console_font() {
  QFont font(QStringLiteral("Courier New"));
  font.setPixelSize(11);  // 8 points at 96 dpi
  font.setStyleHint(QFont::TypeWriter);
  font.setFixedPitch(true);
  return font;
}
}  // namespace

ConsoleView::ConsoleView(QWidget* parent) : QPlainTextEdit(parent) {
  setReadOnly(true);
  setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  setLineWrapMode(QPlainTextEdit::NoWrap);
  setUndoRedoEnabled(false);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  updateTabStops();
  flush_timer_.setSingleShot(true);
  flush_timer_.setInterval(0);
  connect(&flush_timer_, &QTimer::timeout, this, &ConsoleView::flush);
}

ConsoleView::~ConsoleView() { detach(); }

void ConsoleView::attach(ConsoleLog& log) {
  detach();
  log_ = &log;
  clearShown();
  for (const std::string& line : log.lines()) pending_.append(displayLine(line));
  listener_ = log.add_listener([this](ConsoleChange change, std::string_view line) {
    switch (change) {
      case ConsoleChange::appended: queue(line); break;
      case ConsoleChange::replaced_last: replaceLast(line); break;
      case ConsoleChange::dropped_oldest: refill(); break;
      case ConsoleChange::cleared: clearShown(); break;
    }
  });
  flush();
}

void ConsoleView::detach() {
  if (log_) log_->remove_listener(listener_);
  log_ = nullptr;
}

QString ConsoleView::displayLine(std::string_view cp1250_line) {
  const std::string utf8 = text::to_utf8(cp1250_line);
  QString line = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
  for (QChar& ch : line) {
    const char16_t code = ch.unicode();
    if (code < 0x20 && code != u'\t') {
      ch = QChar(char16_t(0x2400 + code));  // the Control Pictures block
    } else if (code == 0x7F) {
      ch = QChar(char16_t(0x2421));
    }
  }
  return line;
}

void ConsoleView::queue(std::string_view line) {
  pending_.append(displayLine(line));
  if (!flush_timer_.isActive()) flush_timer_.start();
}

void ConsoleView::flush() {
  flush_timer_.stop();
  if (pending_.isEmpty()) return;
  QString text = pending_.join(QLatin1Char('\n'));
  if (shows_lines_) text.prepend(QLatin1Char('\n'));
  pending_.clear();
  shows_lines_ = true;
  addShown(text);
}

void ConsoleView::addShown(const QString& text) {
  QScrollBar* bar = verticalScrollBar();
  const bool follow_end = bar->value() == bar->maximum();
  // A cursor of our own leaves the user's selection alone.
  QTextCursor cursor(document());
  cursor.movePosition(QTextCursor::End);
  cursor.insertText(text);
  if (follow_end) bar->setValue(bar->maximum());
}

void ConsoleView::replaceLast(std::string_view line) {
  if (!pending_.isEmpty()) {
    pending_.last() = displayLine(line);
    return;
  }
  QTextCursor cursor(document()->lastBlock());
  cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
  cursor.insertText(displayLine(line));
}

// The store dropped its oldest lines: show what it holds now, in one go.
void ConsoleView::refill() {
  QScrollBar* bar = verticalScrollBar();
  const bool follow_end = bar->value() == bar->maximum();
  clearShown();
  QStringList lines;
  for (const std::string& line : log_->lines()) lines.append(displayLine(line));
  setPlainText(lines.join(QLatin1Char('\n')));
  shows_lines_ = !lines.isEmpty();
  bar->setValue(follow_end ? bar->maximum() : std::min(bar->value(), bar->maximum()));
}

void ConsoleView::clearShown() {
  flush_timer_.stop();
  pending_.clear();
  shows_lines_ = false;
  clear();
}

// The typewriter font is loaded only when the console is first shown: it
// sits on the service page, which most sessions never open, and loading
// a second font family slows the window's start.
void ConsoleView::showEvent(QShowEvent* event) {
  if (!fontChosen_) {
    fontChosen_ = true;
    setFont(console_font());
  }
  QPlainTextEdit::showEvent(event);
}

void ConsoleView::changeEvent(QEvent* event) {
  QPlainTextEdit::changeEvent(event);
  if (event->type() == QEvent::FontChange) updateTabStops();
}

// Tab stops of the platform's edit control: every 8 average characters.
void ConsoleView::updateTabStops() { setTabStopDistance(8.0 * fontMetrics().averageCharWidth()); }
