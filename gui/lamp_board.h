// SPDX-License-Identifier: MIT
#pragma once
// The board's 25 lamps as a picture: round lamps in 5 rows of 5, numbered
// 1-25 in reading order, painted from one row of the matrix (25 modes), with
// a heading that names the row. A lit lamp has its mode's legend colour and
// its mode's letter under its number; an unlit one is dark grey.
//
// Blinking follows a phase clock in milliseconds, which tests replace. One
// timer drives every lamp, ticking at the next change of any lamp, and only
// while the picture is shown and something blinks.

#include <QFont>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>

// Is a lamp in this mode lit at this phase? Slow blinking is 1 Hz (500 ms
// lit, 500 ms dark), fast blinking 4 Hz (125/125 ms); lamps of one rate are
// lit together.
bool lamp_lit(std::uint8_t mode, qint64 phase_ms);

// A lamp's name as it stands under the lamp: on up to `lines` (1 or 2)
// lines of at most `width` pixels in `font`, broken at a space (anywhere in
// a word longer than the line); the last ends with "…" when the name is longer.
QStringList lamp_name_lines(const QString& name, const QFont& font, int width, int lines = 2);

// The font at `factor` times its size, whether that is set in points or pixels.
QFont scaled_font(const QFont& font, double factor);

class LampBoard : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kLamps = 25;
  static constexpr int kPerRow = 5;
  using Modes = std::array<std::uint8_t, kLamps>;
  using Names = std::array<QString, kLamps>;
  using PhaseClock = std::function<qint64()>;

  explicit LampBoard(QWidget* parent = nullptr);

  void setModes(const Modes& modes);
  const Modes& modes() const { return modes_; }
  // Each lamp's name, under its number (on two lines of the lamp's width,
  // which grows with the picture; one where the picture is too low for two)
  // and whole in its tool tip.
  void setNames(const Names& names);
  const Names& names() const { return names_; }
  // The name's lines as painted under lamp 0-24.
  QStringList shownName(int lamp) const;
  void setHeading(const QString& heading);
  QString heading() const { return heading_; }
  // Replaces the steady clock the blinking follows.
  void setPhaseClock(PhaseClock clock);
  // Is the picture's timer running?
  bool ticking() const { return timer_.isActive(); }

  // Lamp 0-24 at a point of the widget, or -1.
  int lampAt(const QPoint& point) const;
  // The circle of lamp 0-24.
  QRect lampRect(int lamp) const;
  // The colour lamp 0-24 shows now.
  QColor lampColor(int lamp) const;
  // "Wyjście 7: szybkie miganie"; "Wyjście 7 (Hala A): szybkie miganie" with a name
  QString lampToolTip(int lamp) const;

  QSize minimumSizeHint() const override;
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  bool event(QEvent* event) override;

 private:
  struct Metrics {
    QRect heading;
    int cell_width, cell_height, diameter, text_height;
    int name_lines;  // under each lamp: 0 without names, else 1 or 2
  };
  Metrics metrics() const;
  QRect cellRect(int lamp) const;
  void scheduleTick();

  bool hasNames() const;

  Modes modes_{};
  Names names_{};
  QString heading_;
  PhaseClock clock_;
  QTimer timer_;
};
