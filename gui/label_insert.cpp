// SPDX-License-Identifier: MIT
#include "gui/label_insert.h"

#include <QFontMetricsF>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

#include "gui/pdf_file.h"

namespace {

constexpr double kPageWidthMm = 210;
constexpr double kPageHeightMm = 297;
constexpr double kOutlineMm = 0.1;
constexpr double kPaddingMm = 0.8;
constexpr double kNumberPoints = 6;
constexpr double kLargestPoints = 10;
constexpr double kCutMarkGapMm = 2;
constexpr double kCutMarkLengthMm = 5;
constexpr double kFootMm = 15;

class InsertPainter {
 public:
  InsertPainter(QPainter& painter, QPaintDevice& device)
      : painter_(painter), device_(device), unit_(device.logicalDpiX() / 25.4) {}

  QRectF mm(double x, double y, double w, double h) const { return {x * unit_, y * unit_, w * unit_, h * unit_}; }
  QPointF mm(double x, double y) const { return {x * unit_, y * unit_}; }

  QFont font(double points, bool bold = false) const {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
  }

  // The largest size, from kLargestPoints down in half points, at which the
  // name fits the box in at most two lines; 0 when none does.
  double fitting_size(const QString& name, const QRectF& box) const {
    for (double points = kLargestPoints; points >= kLabelMinimumPoints; points -= 0.5) {
      const QFontMetricsF metrics(font(points), &device_);
      const QRectF needed = metrics.boundingRect(QRectF(0, 0, box.width(), 1e6), Qt::TextWordWrap | Qt::AlignHCenter, name);
      if (needed.width() <= box.width() && needed.height() <= std::min(box.height(), 2 * metrics.lineSpacing() + 1))
        return points;
    }
    return 0;
  }

  // Returns false when the name was too long for the field.
  bool paint_field(const QRectF& field, int lamp, const QString& name) {
    painter_.setPen(QPen(Qt::black, kOutlineMm * unit_));
    painter_.setBrush(Qt::NoBrush);
    painter_.drawRect(field);
    const double pad = kPaddingMm * unit_;
    painter_.setFont(font(kNumberPoints, true));
    const double number_height = QFontMetricsF(painter_.font(), &device_).height();
    painter_.drawText(field.adjusted(pad, pad, -pad, -pad), Qt::AlignLeft | Qt::AlignTop, QString::number(lamp));
    if (name.isEmpty()) return true;
    const QRectF box = field.adjusted(pad, pad + number_height, -pad, -pad);
    const double size = fitting_size(name, box);
    painter_.setFont(font(size > 0 ? size : kLabelMinimumPoints));
    painter_.save();
    painter_.setClipRect(field);
    painter_.drawText(box, Qt::TextWordWrap | Qt::AlignHCenter | Qt::AlignVCenter, name);
    painter_.restore();
    return size > 0;
  }

  void paint_cut_marks(const QRectF& insert) {
    painter_.setPen(QPen(Qt::black, kOutlineMm * unit_));
    const double gap = kCutMarkGapMm * unit_;
    const double length = kCutMarkLengthMm * unit_;
    for (const QPointF corner : {insert.topLeft(), insert.topRight(), insert.bottomLeft(), insert.bottomRight()}) {
      const double sx = corner.x() == insert.left() ? -1 : 1;
      const double sy = corner.y() == insert.top() ? -1 : 1;
      painter_.drawLine(corner + QPointF(sx * gap, 0), corner + QPointF(sx * (gap + length), 0));
      painter_.drawLine(corner + QPointF(0, sy * gap), corner + QPointF(0, sy * (gap + length)));
    }
  }

  void paint_foot(const ProjectNames& names, const QDateTime& date) {
    QStringList parts;
    if (!names.site.name.empty()) parts << QString::fromStdString(names.site.name);
    if (!names.site.address.empty()) parts << QString::fromStdString(names.site.address);
    if (!names.site.board_place.empty())
      parts << QStringLiteral("miejsce tablicy: ") + QString::fromStdString(names.site.board_place);
    parts << date.toString(QStringLiteral("dd.MM.yyyy"));
    painter_.setFont(font(8));
    painter_.drawText(mm(15, kPageHeightMm - kFootMm - 6, kPageWidthMm - 30, 6), Qt::AlignLeft | Qt::AlignVCenter,
                      parts.join(QStringLiteral(" – ")));
  }

 private:
  QPainter& painter_;
  QPaintDevice& device_;
  const double unit_;  // device units per mm
};

}  // namespace

LabelOrigin label_insert_origin(const LabelGeometry& g) {
  const double across = 4 * g.pitch_across_mm + g.width_mm;
  return {(kPageWidthMm - across) / 2, kLabelInsertTopMm};
}

bool paint_label_insert(QPagedPaintDevice& device, const ProjectNames& names, const LabelGeometry& geometry,
                        const QDateTime& date, QList<int>* not_fitting) {
  QPainter painter;
  if (!painter.begin(&device)) return false;
  painter.setRenderHint(QPainter::Antialiasing);
  InsertPainter insert(painter, device);
  const LabelOrigin origin = label_insert_origin(geometry);
  for (int lamp = 0; lamp < 25; ++lamp) {
    const QRectF field = insert.mm(origin.left_mm + (lamp % 5) * geometry.pitch_across_mm,
                                   origin.top_mm + (lamp / 5) * geometry.pitch_down_mm, geometry.width_mm,
                                   geometry.height_mm);
    const bool fits = insert.paint_field(field, lamp + 1, QString::fromStdString(names.lamps[static_cast<std::size_t>(lamp)]));
    if (!fits && not_fitting) not_fitting->append(lamp + 1);
  }
  // The insert's edge lies half a gap outside the outer fields.
  const double gap_across = (geometry.pitch_across_mm - geometry.width_mm) / 2;
  const double gap_down = (geometry.pitch_down_mm - geometry.height_mm) / 2;
  insert.paint_cut_marks(insert.mm(origin.left_mm - gap_across, origin.top_mm - gap_down, 5 * geometry.pitch_across_mm,
                                   5 * geometry.pitch_down_mm));
  insert.paint_foot(names, date);
  return painter.end();
}

bool export_label_insert_pdf(const QString& path, const ProjectNames& names, const LabelGeometry& geometry,
                             const QDateTime& date, QList<int>* not_fitting, QString* error) {
  return write_pdf_file(path, [&](QPdfWriter& writer) {
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageOrientation(QPageLayout::Portrait);
    writer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    writer.setResolution(1200);
    writer.setTitle(QStringLiteral("Wkładka z nazwami lamp"));
    if (paint_label_insert(writer, names, geometry, date, not_fitting)) return true;
    if (error) *error = QStringLiteral("nie można narysować strony");
    return false;
  }, error);
}

bool print_label_insert(QPrinter& printer, const ProjectNames& names, const LabelGeometry& geometry,
                        const QDateTime& date, QList<int>* not_fitting) {
  printer.setFullPage(true);
  printer.setPageSize(QPageSize(QPageSize::A4));
  printer.setPageOrientation(QPageLayout::Portrait);
  printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
  printer.setDocName(QStringLiteral("Wkładka z nazwami lamp"));
  return paint_label_insert(printer, names, geometry, date, not_fitting);
}
