// SPDX-License-Identifier: MIT
#include "gui/lamp_board.h"

#include <QElapsedTimer>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>
#include <cmath>
#include <memory>

#include "config/config_matrix.h"
#include "gui/matrix_model.h"
#include "gui/wrapped_text.h"

namespace {

constexpr qint64 kSlowHalfMs = 500;
constexpr qint64 kFastHalfMs = 125;  // every change of any lamp falls on a multiple of this
const QColor kUnlit(64, 64, 64);
constexpr int kMinimumDiameter = 32;
constexpr int kHeadingHeight = 24;

bool blinks(std::uint8_t mode) { return mode == LED_SLOW_BLINK || mode == LED_FAST_BLINK; }

}  // namespace

bool lamp_lit(std::uint8_t mode, qint64 phase_ms) {
  const qint64 phase = std::max<qint64>(phase_ms, 0);
  switch (mode) {
    case LED_SLOW_BLINK: return phase % (2 * kSlowHalfMs) < kSlowHalfMs;
    case LED_FAST_BLINK: return phase % (2 * kFastHalfMs) < kFastHalfMs;
    case LED_STEADY: return true;
    default: return false;
  }
}

QStringList lamp_name_lines(const QString& name, const QFont& font, int width, int lines) {
  const QStringList wrapped = wrapped_lines(name, font, width);
  if (wrapped.isEmpty() || lines < 1) return {};
  const QFontMetrics metrics(font);
  if (lines == 1 || wrapped.size() == 1) return {metrics.elidedText(name.trimmed(), Qt::ElideRight, width)};
  const QString rest = wrapped.mid(1).join(QString()).trimmed();
  return {wrapped.first().trimmed(), metrics.elidedText(rest, Qt::ElideRight, width)};
}

QFont scaled_font(const QFont& font, double factor) {
  QFont scaled = font;
  if (font.pixelSize() > 0)
    scaled.setPixelSize(std::max(1, static_cast<int>(std::lround(font.pixelSize() * factor))));
  else
    scaled.setPointSizeF(font.pointSizeF() * factor);
  return scaled;
}

LampBoard::LampBoard(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("LampBoard"));
  setAttribute(Qt::WA_OpaquePaintEvent);
  timer_.setSingleShot(true);
  connect(&timer_, &QTimer::timeout, this, [this] {
    update();
    scheduleTick();
  });
  auto started = std::make_shared<QElapsedTimer>();
  started->start();
  clock_ = [started] { return started->elapsed(); };
}

void LampBoard::setModes(const Modes& modes) {
  modes_ = modes;
  update();
  scheduleTick();
}

void LampBoard::setHeading(const QString& heading) {
  heading_ = heading;
  update();
}

void LampBoard::setPhaseClock(PhaseClock clock) {
  clock_ = std::move(clock);
  update();
  scheduleTick();
}

void LampBoard::scheduleTick() {
  const bool needed = isVisible() && std::any_of(modes_.begin(), modes_.end(), blinks);
  if (!needed) {
    timer_.stop();
    return;
  }
  const qint64 now = std::max<qint64>(clock_(), 0);
  timer_.start(static_cast<int>(kFastHalfMs - now % kFastHalfMs));
}

void LampBoard::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  scheduleTick();
}

void LampBoard::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  timer_.stop();
}

LampBoard::Metrics LampBoard::metrics() const {
  Metrics g;
  g.heading = QRect(0, 0, width(), kHeadingHeight);
  g.cell_width = width() / kPerRow;
  g.cell_height = (height() - kHeadingHeight) / kPerRow;
  g.text_height = fontMetrics().height();
  // Under each lamp: its number, the name's lines when any lamp has one, and
  // its mode's letter. The name takes a second line where the lamp keeps its
  // smallest size beside it.
  const auto diameter = [&g](int name_lines) {
    return std::min(g.cell_width - 8, g.cell_height - (2 + name_lines) * g.text_height - 6);
  };
  g.name_lines = !hasNames() ? 0 : diameter(2) >= kMinimumDiameter ? 2 : 1;
  g.diameter = std::max(8, diameter(g.name_lines));
  return g;
}

QRect LampBoard::cellRect(int lamp) const {
  const Metrics g = metrics();
  return QRect((lamp % kPerRow) * g.cell_width, kHeadingHeight + (lamp / kPerRow) * g.cell_height, g.cell_width,
               g.cell_height);
}

QRect LampBoard::lampRect(int lamp) const {
  const Metrics g = metrics();
  const QRect cell = cellRect(lamp);
  return QRect(cell.center().x() - g.diameter / 2, cell.top() + 2, g.diameter, g.diameter);
}

int LampBoard::lampAt(const QPoint& point) const {
  for (int lamp = 0; lamp < kLamps; ++lamp) {
    const QRect circle = lampRect(lamp);
    const QPointF offset = QPointF(point) - QRectF(circle).center();
    const qreal radius = circle.width() / 2.0;
    if (offset.x() * offset.x() + offset.y() * offset.y() <= radius * radius) return lamp;
  }
  return -1;
}

QColor LampBoard::lampColor(int lamp) const {
  const std::uint8_t mode = modes_[static_cast<std::size_t>(lamp)];
  return lamp_lit(mode, clock_()) ? to_qcolor(led_mode_color(mode)) : kUnlit;
}

QString LampBoard::lampToolTip(int lamp) const {
  const QString& name = names_[static_cast<std::size_t>(lamp)];
  return QStringLiteral("Wyjście %1%2: %3")
      .arg(lamp + 1)
      .arg(name.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(name))
      .arg(QString::fromUtf8(led_mode_name(modes_[static_cast<std::size_t>(lamp)])));
}

void LampBoard::setNames(const Names& names) {
  if (names == names_) return;
  names_ = names;
  update();
}

bool LampBoard::hasNames() const {
  return std::any_of(names_.begin(), names_.end(), [](const QString& name) { return !name.isEmpty(); });
}

QStringList LampBoard::shownName(int lamp) const {
  const Metrics g = metrics();
  return lamp_name_lines(names_[static_cast<std::size_t>(lamp)], font(), g.cell_width - 4, g.name_lines);
}

QSize LampBoard::minimumSizeHint() const {
  const int text = fontMetrics().height();
  return {kPerRow * (kMinimumDiameter + 8), kHeadingHeight + kPerRow * (kMinimumDiameter + 2 * text + 6)};
}

QSize LampBoard::sizeHint() const { return minimumSizeHint() * 3 / 2; }

bool LampBoard::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    const auto* help = static_cast<QHelpEvent*>(event);
    const int lamp = lampAt(help->pos());
    if (lamp >= 0) {
      QToolTip::showText(help->globalPos(), lampToolTip(lamp), this, lampRect(lamp));
    } else {
      QToolTip::hideText();
      event->ignore();
    }
    return true;
  }
  return QWidget::event(event);
}

void LampBoard::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().window());
  painter.setRenderHint(QPainter::Antialiasing);
  const Metrics g = metrics();

  QFont bold = font();
  bold.setBold(true);
  painter.setFont(bold);
  painter.setPen(palette().windowText().color());
  painter.drawText(g.heading, Qt::AlignCenter, heading_);

  const qint64 phase = clock_();
  for (int lamp = 0; lamp < kLamps; ++lamp) {
    const std::uint8_t mode = modes_[static_cast<std::size_t>(lamp)];
    const QRect circle = lampRect(lamp);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(lamp_lit(mode, phase) ? to_qcolor(led_mode_color(mode)) : kUnlit);
    painter.drawEllipse(circle);

    painter.setPen(palette().windowText().color());
    const QRect number(cellRect(lamp).left(), circle.bottom() + 2, g.cell_width, g.text_height);
    painter.setFont(font());
    painter.drawText(number, Qt::AlignCenter, QString::number(lamp + 1));
    QRect below = number.translated(0, g.text_height);
    if (hasNames()) {
      const QStringList lines = shownName(lamp);
      for (int line = 0; line < g.name_lines; ++line) {
        if (line < lines.size()) painter.drawText(below, Qt::AlignCenter, lines[line]);
        below.translate(0, g.text_height);
      }
    }
    if (const char letter = led_mode_letter(mode)) {
      painter.setFont(bold);
      painter.drawText(below, Qt::AlignCenter, QString(QChar(letter)));
    }
  }
}
