// The PDF report and the printed pages, looked at the way a reader sees them:
// rendered by poppler (pdftoppm) and read back as text with its positions
// (pdftotext), so the cells are found under their printed numbers and
// beside their printed labels, not where the layout code says they are.

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <map>
#include <vector>

#include "gui/config_report.h"

namespace {

// Runs a poppler tool; fails the test when it can't.
QString run(const QString& program, const QStringList& arguments) {
  QProcess process;
  // The tools are not ours: they run without this binary's preloaded
  // libraries (the test bed, the sanitizer's runtime).
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.remove(QStringLiteral("LD_PRELOAD"));
  process.setProcessEnvironment(environment);
  process.start(program, arguments);
  if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
    ADD_FAILURE() << program.toStdString() << " failed: " << process.readAllStandardError().toStdString();
    return {};
  }
  return QString::fromUtf8(process.readAllStandardOutput());
}

int page_count(const QString& pdf) {
  const QRegularExpressionMatch pages = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(run("pdfinfo", {pdf}));
  return pages.hasMatch() ? pages.captured(1).toInt() : 0;
}

// One printed line of text: its words joined, where it stands (points).
struct TextLine {
  int page;  // from 1
  QString text;
  double center_y;
  std::vector<std::pair<QString, double>> words;  // each word and its centre x
};

// The PDF's text layer as lines, in page order and top to bottom.
std::vector<TextLine> text_lines(const QString& pdf) {
  const QString html = run("pdftotext", {"-bbox", pdf, "-"});
  static const QRegularExpression tag(QStringLiteral(
      "<page |<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)</word>"));
  std::map<std::pair<int, long>, TextLine> lines;  // by page and top (in hundredths of a point)
  int page = 0;
  for (auto match = tag.globalMatch(html); match.hasNext();) {
    const QRegularExpressionMatch word = match.next();
    if (word.captured(0) == QStringLiteral("<page ")) {
      ++page;
      continue;
    }
    const double top = word.captured(2).toDouble();
    TextLine& line = lines[{page, std::lround(top * 100)}];
    line.page = page;
    line.center_y = (top + word.captured(4).toDouble()) / 2;
    line.words.emplace_back(word.captured(5), (word.captured(1).toDouble() + word.captured(3).toDouble()) / 2);
  }
  std::vector<TextLine> result;
  for (auto& [key, line] : lines) {
    std::sort(line.words.begin(), line.words.end(), [](auto& a, auto& b) { return a.second < b.second; });
    QStringList words;
    for (const auto& [text, x] : line.words) words << text;
    line.text = words.join(' ').replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    result.push_back(line);
  }
  return result;
}

const TextLine* find_line(const std::vector<TextLine>& lines, int page, const QString& text) {
  for (const TextLine& line : lines)
    if (line.page == page && line.text == text) return &line;
  return nullptr;
}

QImage render_page(const QString& pdf, int page, const QString& folder, int dpi) {
  const QString out = folder + QStringLiteral("/strona-%1").arg(page);
  run("pdftoppm", {"-png", "-r", QString::number(dpi), "-f", QString::number(page), "-l", QString::number(page),
                   "-singlefile", pdf, out});
  return QImage(out + ".png");
}

ConfigReportInfo report_info(const QString& file) {
  return {file, QDateTime(QDate(2024, 5, 2), QTime(14, 30))};
}

class ConfigReport : public testing::Test {
 protected:
  QString path(const QString& name) const { return dir_.filePath(name); }
  QTemporaryDir dir_;
};

TEST_F(ConfigReport, PdfShowsEveryRowButRowFourInItsColoursUnderTheRepeatedHeader) {
  ConfigMatrix matrix;
  struct Chosen {
    int row, column;
    std::uint8_t value;
    QColor colour;
  };
  const Chosen chosen[] = {
      {0, 0, 1, QColor(255, 255, 0)},  {1, 24, 2, QColor(0, 0, 255)},   {3, 12, 3, QColor(255, 0, 0)},
      {5, 7, 255, QColor(128, 128, 128)}, {6, 3, 7, QColor(0, 0, 0)}, {304, 24, 3, QColor(255, 0, 0)},
      {0, 1, 0, QColor(255, 255, 255)},
  };
  for (const Chosen& cell : chosen) matrix.set(cell.row, cell.column, cell.value);
  matrix.set(4, 5, 3);  // row 4 is not on paper, nor in the counts

  const QString pdf = path("raport.pdf");
  QString error;
  ASSERT_TRUE(export_config_pdf(pdf, matrix, report_info("/dane/konfiguracja.zel"), &error)) << error.toStdString();
  const QString info = run("pdfinfo", {pdf});
  EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Page size:\\s+842 x 595 pts \\(A4\\)"))))
      << info.toStdString();
  EXPECT_TRUE(info.contains(QStringLiteral("Konfiguracja tablicy synoptycznej ZEL")));
  // Vector pages: no pictures; every font embedded.
  EXPECT_EQ(run("pdfimages", {"-list", pdf}).count('\n'), 2);
  const QStringList fonts = run("pdffonts", {pdf}).split('\n', Qt::SkipEmptyParts).mid(2);
  EXPECT_FALSE(fonts.isEmpty());
  for (const QString& font : fonts) {  // ... emb sub uni object ID
    const QStringList columns = font.split(' ', Qt::SkipEmptyParts);
    ASSERT_GE(columns.size(), 5);
    EXPECT_EQ(columns[columns.size() - 5], QStringLiteral("yes")) << "not embedded: " << font.toStdString();
    EXPECT_EQ(columns[columns.size() - 3], QStringLiteral("yes")) << "no Unicode map: " << font.toStdString();
  }

  // Every page: the header with the numbers 1 to 25, then its rows in order;
  // the rows run on from page to page, each exactly once, and only the last
  // page has the counts.
  const int pages = page_count(pdf);
  const std::vector<TextLine> lines = text_lines(pdf);
  QString header = QStringLiteral("Zdarzenie");
  for (int output = 1; output <= ConfigMatrix::kColumns; ++output) header += ' ' + QString::number(output);
  int next_row = 0;
  for (int page = 1; page <= pages; ++page) {
    EXPECT_NE(find_line(lines, page, header), nullptr) << "page " << page;
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const TextLine& line) {
      return line.page == page && line.text.endsWith(QStringLiteral("Strona %1 z %2").arg(page).arg(pages));
    })) << "page " << page;
    const int first_on_page = next_row;
    for (const TextLine& line : lines) {
      if (line.page != page) continue;
      if (next_row == ConfigMatrix::kNoFunctionRow) ++next_row;
      if (next_row < ConfigMatrix::kRows && line.text == QString::fromStdString(row_label(next_row))) ++next_row;
      EXPECT_NE(line.text, QStringLiteral("(brak funckji)"));
    }
    EXPECT_GT(next_row, first_on_page) << "page " << page << " holds no row";
  }
  EXPECT_EQ(next_row, ConfigMatrix::kRows);
  EXPECT_GE(pages, 5);
  EXPECT_NE(find_line(lines, pages,
                      QStringLiteral("Zapalone pola: Wolne miganie: 1, Szybkie miganie: 1, Ciagle swiecenie: 2, "
                                     "razem: 4")),
            nullptr);
  for (const char* text : {"Konfiguracja tablicy synoptycznej ZEL", "Plik: /dane/konfiguracja.zel",
                           "Data: 02.05.2024 14:30", "Strata łączności", "Test wyjść",
                           "Wolne miganie Szybkie miganie Ciagle swiecenie wyłączone niedostępne inna wartość"}) {
    EXPECT_NE(find_line(lines, 1, QString::fromUtf8(text)), nullptr) << text;
  }

  // The chosen colours where the printed number's column meets the printed
  // label's row, on the page that row is printed on.
  constexpr int kDpi = 144;
  std::map<int, QImage> rendered;
  for (const Chosen& cell : chosen) {
    const TextLine* label = nullptr;
    for (const TextLine& line : lines)
      if (line.text == QString::fromStdString(row_label(cell.row))) label = &line;
    ASSERT_NE(label, nullptr) << cell.row;
    const TextLine* numbers = find_line(lines, label->page, header);
    ASSERT_NE(numbers, nullptr);
    const double x = numbers->words[cell.column + 1].second;
    if (!rendered.count(label->page)) rendered[label->page] = render_page(pdf, label->page, dir_.path(), kDpi);
    const QImage& image = rendered[label->page];
    ASSERT_FALSE(image.isNull());
    const QColor seen = image.pixelColor(int(x * kDpi / 72), int(label->center_y * kDpi / 72));
    EXPECT_EQ(seen, cell.colour) << "row " << cell.row << ", column " << cell.column << " on page " << label->page
                                 << ": " << seen.name().toStdString();
  }
  EXPECT_EQ(rendered.begin()->first, 1);
}

TEST_F(ConfigReport, PrintingGivesTheSamePagesAndAFailedExportLeavesNoFile) {
  ConfigMatrix matrix;
  matrix.set(100, 10, 2);
  const ConfigReportInfo info = report_info({});
  ASSERT_TRUE(export_config_pdf(path("raport.pdf"), matrix, info));

  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(path("wydruk.pdf"));
  printer.setPageSize(QPageSize(QPageSize::A4));
  printer.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
  printer.setPageOrientation(QPageLayout::Portrait);  // the dialog's default; the report turns it
  QString error;
  ASSERT_TRUE(print_config_report(printer, matrix, info, &error)) << error.toStdString();

  EXPECT_EQ(page_count(path("wydruk.pdf")), page_count(path("raport.pdf")));
  const QString printed = run("pdftotext", {"-layout", path("wydruk.pdf"), "-"});
  EXPECT_EQ(printed, run("pdftotext", {"-layout", path("raport.pdf"), "-"}));
  EXPECT_TRUE(printed.contains(QStringLiteral("konfiguracja niezapisana")));
  EXPECT_FALSE(printed.contains(QStringLiteral("Plik:")));

  const QString nowhere = path("brak/raport.pdf");
  EXPECT_FALSE(export_config_pdf(nowhere, matrix, info, &error));
  EXPECT_FALSE(error.isEmpty());
  EXPECT_FALSE(QFile::exists(nowhere));
  EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files), (QStringList{"raport.pdf", "wydruk.pdf"}));
}

}  // namespace
