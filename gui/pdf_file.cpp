#include "gui/pdf_file.h"

#include <QBuffer>
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
  if (!saved.ok && error) *error = QString::fromStdString(saved.reason);
  return saved.ok;
}
