// SPDX-License-Identifier: MIT
#include "gui/pdf_file.h"

#include <QBuffer>
#include <QPageSize>
#include <QPdfWriter>

#include "config/durable_save.h"
#include "text/utf8_path.h"

bool write_pdf_file(const QString& path, const std::function<bool(QPdfWriter& writer)>& paint, QString* error) {
  QByteArray pdf;
  {
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setCreator(QStringLiteral("ZEL17"));
    if (!paint(writer)) return false;
  }
  const FileResult saved = save_file_durably(
      utf8_path(path.toStdString()),
      {reinterpret_cast<const std::uint8_t*>(pdf.constData()), static_cast<std::size_t>(pdf.size())});
  if (!saved.ok && error != nullptr) *error = QString::fromStdString(saved.reason);
  return saved.ok;
}

bool save_pdf_file(const QString& path, const QString& title, QPageLayout::Orientation orientation,
                   const QMarginsF& margins_mm, const std::function<bool(QPdfWriter&, QString*)>& paint,
                   QString* error) {
  return write_pdf_file(
      path,
      [&](QPdfWriter& writer) {
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageOrientation(orientation);
        writer.setPageMargins(margins_mm, QPageLayout::Millimeter);
        writer.setTitle(title);
        return paint(writer, error);
      },
      error);
}

QFont pdf_text_font(double points, bool bold) {
  QFont font;
  font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
  font.setStyleHint(QFont::SansSerif);
  font.setPointSizeF(points);
  font.setBold(bold);
  return font;
}
