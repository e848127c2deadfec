// SPDX-License-Identifier: MIT
#include "gui/label_insert.h"

#include <QFontMetricsF>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

#include "config/label_page.h"
#include "config/name_text.h"
#include "gui/pdf_file.h"

namespace {

constexpr double kOutlineMm = 0.1;
constexpr double kPaddingMm = 0.8;
constexpr double kNumberPoints = 6;
constexpr double kLargestPoints = 10;
// Below the readable size a name may take as many lines as its field holds,
// down to this.
constexpr double kSmallestPoints = 4;
constexpr double kFootPoints = 8;
constexpr double kFootSmallestPoints = 4;
constexpr int kAnyLines = 0;

constexpr const char* kInsertTitle = "Wkładka z nazwami lamp";

class InsertPainter {
 public:
  InsertPainter(QPainter& painter, QPaintDevice& device)
      : painter_(painter), device_(device), unit_(device.logicalDpiX() / 25.4) {}

  QRectF mm(double x, double y, double w, double h) const { return {x * unit_, y * unit_, w * unit_, h * unit_}; }

  QFont font(double points, bool bold = false) const {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
  }

  // The largest size, from `largest` down to `smallest` in half points, at
  // which the text, wrapped at its spaces, fits the box in at most
  // `max_lines` lines (kAnyLines: as many as the box holds); 0 when none does.
  double fitting_size(const QString& text, const QRectF& box, double largest, double smallest, int max_lines) const {
    for (double points = largest; points >= smallest; points -= 0.5) {
      const QFontMetricsF metrics(font(points), &device_);
      const QRectF needed = metrics.boundingRect(QRectF(0, 0, box.width(), 1e6), Qt::TextWordWrap | Qt::AlignHCenter, text);
      const double room = max_lines == kAnyLines ? box.height()
                                                 : std::min(box.height(), max_lines * metrics.lineSpacing() + 1);
      if (needed.width() <= box.width() && needed.height() <= room) return points;
    }
    return 0;
  }

  enum class Fit { readable, shrunk, cut };

  Fit paint_field(const QRectF& field, int lamp, const QString& name) {
    painter_.setPen(QPen(Qt::black, kOutlineMm * unit_));
    painter_.setBrush(Qt::NoBrush);
    painter_.drawRect(field);
    const double pad = kPaddingMm * unit_;
    painter_.setFont(font(kNumberPoints, true));
    const double number_height = QFontMetricsF(painter_.font(), &device_).height();
    painter_.drawText(field.adjusted(pad, pad, -pad, -pad), Qt::AlignLeft | Qt::AlignTop, QString::number(lamp));
    if (name.isEmpty()) return Fit::readable;
    const QRectF box = field.adjusted(pad, pad + number_height, -pad, -pad);
    double size = fitting_size(name, box, kLargestPoints, kLabelMinimumPoints, 2);
    if (size == 0) size = fitting_size(name, box, kLabelMinimumPoints, kSmallestPoints, kAnyLines);
    painter_.setFont(font(size > 0 ? size : kSmallestPoints));
    painter_.save();
    painter_.setClipRect(field);
    painter_.drawText(box, Qt::TextWordWrap | Qt::AlignHCenter | Qt::AlignVCenter, name);
    painter_.restore();
    if (size == 0) return Fit::cut;
    return size < kLabelMinimumPoints ? Fit::shrunk : Fit::readable;
  }

  void paint_cut_marks(const QRectF& insert) {
    painter_.setPen(QPen(Qt::black, kOutlineMm * unit_));
    const double gap = kLabelCutMarkGapMm * unit_;
    const double length = kLabelCutMarkLengthMm * unit_;
    for (const QPointF corner : {insert.topLeft(), insert.topRight(), insert.bottomLeft(), insert.bottomRight()}) {
      const double sx = corner.x() == insert.left() ? -1 : 1;
      const double sy = corner.y() == insert.top() ? -1 : 1;
      painter_.drawLine(corner + QPointF(sx * gap, 0), corner + QPointF(sx * (gap + length), 0));
      painter_.drawLine(corner + QPointF(0, sy * gap), corner + QPointF(0, sy * (gap + length)));
    }
  }

  // The site and the date across the foot's box: on one line, wrapped, then smaller.
  void paint_foot(const SiteInfo& site, const QDateTime& date) {
    QString text = QString::fromStdString(site_line(site));
    if (!text.isEmpty()) text += QStringLiteral(" – ");
    text += date.toString(QStringLiteral("dd.MM.yyyy"));
    const QRectF box = mm(kLabelFootLeftMm, kLabelFootTopMm, kLabelFootWidthMm, kLabelFootHeightMm);
    const double size = fitting_size(text, box, kFootPoints, kFootSmallestPoints, kAnyLines);
    painter_.setFont(font(size > 0 ? size : kFootSmallestPoints));
    painter_.save();
    painter_.setClipRect(box);
    painter_.drawText(box, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignVCenter, text);
    painter_.restore();
  }

 private:
  QPainter& painter_;
  QPaintDevice& device_;
  const double unit_;  // device units per mm
};

QString lamp_list(const QList<int>& lamps) {
  QStringList numbers;
  for (const int lamp : lamps) numbers << QString::number(lamp);
  return numbers.join(QStringLiteral(", "));
}

}  // namespace

QString label_insert_status(bool printed, const LabelInsertFit& fit) {
  const QString done = printed ? QStringLiteral("wydrukowana") : QStringLiteral("zapisana");
  if (fit.shrunk.isEmpty() && fit.not_fitting.isEmpty())
    return QStringLiteral("Wkładka z nazwami lamp ") + done + QLatin1Char('.');
  QString status = QStringLiteral("Wkładka ") + done;
  if (!fit.shrunk.isEmpty())
    status += QStringLiteral("; nazwy mniejsze niż %1 pt w polach lamp: ").arg(kLabelMinimumPoints) +
              lamp_list(fit.shrunk);
  if (!fit.not_fitting.isEmpty())
    status += QString::fromUtf8("; nazwy nie mieszczą się w polach lamp: ") + lamp_list(fit.not_fitting);
  return status + QLatin1Char('.');
}

LabelOrigin label_insert_origin(const LabelGeometry& g) {
  const double across = 4 * g.pitch_across_mm + g.width_mm;
  return {(kLabelPageWidthMm - across) / 2, kLabelInsertTopMm + (g.pitch_down_mm - g.height_mm) / 2};
}

bool paint_label_insert(QPagedPaintDevice& device, const ProjectNames& names, const LabelGeometry& geometry,
                        const QDateTime& date, LabelInsertFit* fit) {
  QPainter painter;
  if (!painter.begin(&device)) return false;
  painter.setRenderHint(QPainter::Antialiasing);
  InsertPainter insert(painter, device);
  const LabelOrigin origin = label_insert_origin(geometry);
  for (int lamp = 0; lamp < 25; ++lamp) {
    const QRectF field = insert.mm(origin.left_mm + (lamp % 5) * geometry.pitch_across_mm,
                                   origin.top_mm + (lamp / 5) * geometry.pitch_down_mm, geometry.width_mm,
                                   geometry.height_mm);
    const auto painted =
        insert.paint_field(field, lamp + 1, QString::fromStdString(names.lamps[static_cast<std::size_t>(lamp)]));
    if (fit && painted == InsertPainter::Fit::shrunk) fit->shrunk.append(lamp + 1);
    if (fit && painted == InsertPainter::Fit::cut) fit->not_fitting.append(lamp + 1);
  }
  // The insert's edge lies half a gap outside the outer fields.
  const double gap_across = (geometry.pitch_across_mm - geometry.width_mm) / 2;
  insert.paint_cut_marks(insert.mm(origin.left_mm - gap_across, kLabelInsertTopMm, 5 * geometry.pitch_across_mm,
                                   5 * geometry.pitch_down_mm));
  insert.paint_foot(names.site, date);
  return painter.end();
}

bool export_label_insert_pdf(const QString& path, const ProjectNames& names, const LabelGeometry& geometry,
                             const QDateTime& date, LabelInsertFit* fit, QString* error) {
  return save_pdf_file(path, QString::fromUtf8(kInsertTitle), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0),
                       [&](QPdfWriter& writer, QString* reason) {
                         if (paint_label_insert(writer, names, geometry, date, fit)) return true;
                         if (reason) *reason = QStringLiteral("nie można narysować strony");
                         return false;
                       },
                       error);
}

bool print_label_insert(QPrinter& printer, const ProjectNames& names, const LabelGeometry& geometry,
                        const QDateTime& date, LabelInsertFit* fit) {
  printer.setFullPage(true);
  printer.setPageSize(QPageSize(QPageSize::A4));
  printer.setPageOrientation(QPageLayout::Portrait);
  printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
  printer.setDocName(QString::fromUtf8(kInsertTitle));
  return paint_label_insert(printer, names, geometry, date, fit);
}
