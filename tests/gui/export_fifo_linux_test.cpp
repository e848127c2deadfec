// SPDX-License-Identifier: MIT
// Both exports save through the same durable save: a FIFO in place of the
// file is refused by the PDF report as by the CSV table, and stays a FIFO.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QTemporaryDir>
#include <filesystem>

#include "config/config_csv.h"
#include "gui/config_report.h"

namespace {

TEST(ExportToFifo, PdfAndCsvRefuseAFifo) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const std::filesystem::path fifo = dir.filePath(QStringLiteral("tubka")).toStdString();
  ASSERT_EQ(mkfifo(fifo.c_str(), 0666), 0);
  const ConfigMatrix matrix;

  QString error;
  EXPECT_FALSE(export_config_pdf(QString::fromStdString(fifo.string()), matrix,
                                 {QStringLiteral("x.zel"), QDateTime::currentDateTime()}, &error));
  EXPECT_EQ(error, QStringLiteral("to nie jest zwykły plik"));
  const FileResult csv = save_config_csv(fifo, matrix);
  EXPECT_FALSE(csv.ok);
  EXPECT_EQ(csv.reason, "to nie jest zwykły plik");
  EXPECT_TRUE(std::filesystem::is_fifo(fifo));
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System),
            QStringList{QStringLiteral("tubka")});
}

}  // namespace
