// SPDX-License-Identifier: MIT
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
#include <algorithm>
#include <array>
#include <iterator>
#include <map>
#include <vector>

#include "gui/config_report.h"
#include "poppler_run.h"

namespace {

QString run(const QString& program, const QStringList& arguments) { return run_poppler(program, arguments); }

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

// The table's header line: "Zdarzenie 1 2 ... 25".
QString table_header() {
  QString header = QStringLiteral("Zdarzenie");
  for (int output = 1; output <= ConfigMatrix::kColumns; ++output) header += ' ' + QString::number(output);
  return header;
}

// The distance between two columns, from the header's printed numbers.
double column_pitch(const TextLine& header) {
  return (header.words[ConfigMatrix::kColumns].second - header.words[1].second) / (ConfigMatrix::kColumns - 1);
}

// The page as poppler renders it; in grey: as a black-and-white printer prints it.
QImage render_page(const QString& pdf, int page, const QString& folder, int dpi, bool grey = false) {
  const QString out = folder + QStringLiteral("/strona-%1%2").arg(page).arg(grey ? "-szara" : "");
  QStringList arguments = {"-png", "-r", QString::number(dpi), "-f", QString::number(page), "-l", QString::number(page),
                           "-singlefile", pdf, out};
  if (grey) arguments.prepend("-gray");
  run("pdftoppm", arguments);
  return QImage(out + ".png");
}

// A cell of a grey page: its fill and the pixels that stand out of it.
struct GreyCell {
  int fill = 0;                 // the most common grey level
  int darker = 0, lighter = 0;  // pixels at least kContrast below or above the fill
  std::vector<QPoint> marks;    // where they are, from their bounding box's top left, in reading order
};
constexpr int kContrast = 64;

GreyCell grey_cell(const QImage& page, const QRect& area) {
  GreyCell cell;
  std::array<int, 256> levels{};
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x) ++levels[qGray(page.pixel(x, y))];
  cell.fill = int(std::max_element(levels.begin(), levels.end()) - levels.begin());
  QRect box;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) {
      const int level = qGray(page.pixel(x, y));
      if (std::abs(level - cell.fill) < kContrast) continue;
      ++(level < cell.fill ? cell.darker : cell.lighter);
      cell.marks.emplace_back(x, y);
      box |= QRect(x, y, 1, 1);
    }
  }
  for (QPoint& mark : cell.marks) mark -= box.topLeft();
  return cell;
}

// The share of two cells' marks that only one of them has: 0 for the same shape.
double shape_difference(const GreyCell& a, const GreyCell& b) {
  const auto reading_order = [](const QPoint& p, const QPoint& q) {  // how grey_cell lists them
    return std::pair(p.y(), p.x()) < std::pair(q.y(), q.x());
  };
  std::vector<QPoint> common;
  std::set_intersection(a.marks.begin(), a.marks.end(), b.marks.begin(), b.marks.end(), std::back_inserter(common),
                        reading_order);
  const double all = double(a.marks.size() + b.marks.size() - common.size());
  return all == 0 ? 0 : 1 - double(common.size()) / all;
}

ConfigReportInfo report_info(const QString& file, const ProjectNames* names = nullptr,
                             ReportRows rows = ReportRows::all) {
  return {file, QDateTime(QDate(2024, 5, 2), QTime(14, 30)), names, rows};
}

// The line of a layout text that begins with a row's label.
QString row_line(const QString& layout, int row) {
  const QRegularExpression line(
      QStringLiteral("^ *%1( .*)?$").arg(QRegularExpression::escape(QString::fromStdString(row_label(row)))),
      QRegularExpression::MultilineOption);
  return line.match(layout).captured(0);
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
  const QString header = table_header();
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
  // label's row, on the page that row is printed on, left of the cell's letter.
  constexpr int kDpi = 144;
  std::map<int, QImage> rendered;
  for (const Chosen& cell : chosen) {
    const TextLine* label = nullptr;
    for (const TextLine& line : lines)
      if (line.text == QString::fromStdString(row_label(cell.row))) label = &line;
    ASSERT_NE(label, nullptr) << cell.row;
    const TextLine* numbers = find_line(lines, label->page, header);
    ASSERT_NE(numbers, nullptr);
    const double pitch = column_pitch(*numbers);
    const double x = numbers->words[cell.column + 1].second - 0.3 * pitch;
    if (!rendered.count(label->page)) rendered[label->page] = render_page(pdf, label->page, dir_.path(), kDpi);
    const QImage& image = rendered[label->page];
    ASSERT_FALSE(image.isNull());
    const QColor seen = image.pixelColor(int(x * kDpi / 72), int(label->center_y * kDpi / 72));
    EXPECT_EQ(seen, cell.colour) << "row " << cell.row << ", column " << cell.column << " on page " << label->page
                                 << ": " << seen.name().toStdString();
  }
  EXPECT_EQ(rendered.begin()->first, 1);
}

// On a black-and-white printer the colours come out as greys hard to tell
// apart; every lit cell's letter says its mode, and is text a reader can find.
TEST_F(ConfigReport, LettersTellTheModesInGreyAndAsText) {
  ConfigMatrix matrix;
  const int row = 5;  // "adr 0. Alarm I"
  struct Cell {
    int column;
    std::uint8_t value;
  };
  const Cell cells[] = {{1, LED_SLOW_BLINK}, {4, LED_FAST_BLINK}, {8, LED_STEADY}, {12, LED_OFF}};
  for (const Cell& cell : cells) matrix.set(row, cell.column, cell.value);
  // The next row in the reverse order: the letters follow the columns, not the modes.
  matrix.set(row + 1, 0, LED_STEADY);
  matrix.set(row + 1, 10, LED_FAST_BLINK);
  matrix.set(row + 1, 20, LED_SLOW_BLINK);
  const QString pdf = path("raport.pdf");
  ASSERT_TRUE(export_config_pdf(pdf, matrix, report_info("/dane/konfiguracja.zel")));

  // The text as laid out on the page: a row's letters after its label.
  const QString layout = pdf_layout_text(pdf, 1);
  const auto letters_after = [&](const char* label) {
    const QRegularExpression line(QStringLiteral("^ *%1(?: +(.*))?$").arg(QRegularExpression::escape(label)),
                                  QRegularExpression::MultilineOption);
    return line.match(layout).captured(1).simplified();
  };
  EXPECT_EQ(letters_after("adr 0. Alarm I"), QStringLiteral("W S C"));
  EXPECT_EQ(letters_after("adr 0. Alarm II"), QStringLiteral("C S W"));
  EXPECT_EQ(letters_after("adr 0. Awaria"), QString());
  // The legend's squares carry the same letters, each before its meaning.
  EXPECT_TRUE(QRegularExpression(QStringLiteral("W\\s+Wolne miganie\\s+S\\s+Szybkie miganie\\s+C\\s+Ciagle swiecenie"
                                                "\\s+wyłączone"))
                  .match(layout)
                  .hasMatch())
      << layout.toStdString();

  // The cells on the grey page, found under their printed numbers and beside
  // their printed label; the grid lines left out.
  constexpr int kDpi = 144;
  const QImage page = render_page(pdf, 1, dir_.path(), kDpi, true);
  ASSERT_FALSE(page.isNull());
  const std::vector<TextLine> lines = text_lines(pdf);
  const TextLine* numbers = find_line(lines, 1, table_header());
  const TextLine* label = find_line(lines, 1, QString::fromStdString(row_label(row)));
  const TextLine* next_label = find_line(lines, 1, QString::fromStdString(row_label(row + 1)));
  ASSERT_TRUE(numbers && label && next_label);
  // The legend's names stay black beside the lettered squares.
  const TextLine* legend =
      find_line(lines, 1, QStringLiteral("Wolne miganie Szybkie miganie Ciagle swiecenie wyłączone"));
  ASSERT_NE(legend, nullptr);
  for (const auto& [word, x] : legend->words) {
    const QPoint at(int(x * kDpi / 72), int(legend->center_y * kDpi / 72));
    EXPECT_GT(grey_cell(page, QRect(at - QPoint(6, 6), QSize(12, 12))).darker, 0) << word.toStdString();
  }

  const double pitch = column_pitch(*numbers);
  const double height = next_label->center_y - label->center_y;
  std::map<std::uint8_t, GreyCell> seen;
  for (const Cell& cell : cells) {
    const double x = numbers->words[cell.column + 1].second;
    const QPointF centre(x * kDpi / 72, label->center_y * kDpi / 72);
    const QSizeF size(pitch * kDpi / 72 - 6, height * kDpi / 72 - 6);
    seen[cell.value] = grey_cell(page, QRectF(centre - QPointF(size.width() / 2, size.height() / 2), size).toRect());
  }
  constexpr int kLetterPixels = 20;
  EXPECT_GT(seen[LED_OFF].fill, 240);
  EXPECT_EQ(seen[LED_OFF].darker + seen[LED_OFF].lighter, 0);
  EXPECT_GT(seen[LED_SLOW_BLINK].darker, kLetterPixels);  // black on a light grey
  EXPECT_EQ(seen[LED_SLOW_BLINK].lighter, 0);
  for (const std::uint8_t dark : {LED_FAST_BLINK, LED_STEADY}) {  // white on dark greys
    EXPECT_LT(seen[dark].fill, 128) << int(dark);
    EXPECT_GT(seen[dark].lighter, kLetterPixels) << int(dark);
    EXPECT_EQ(seen[dark].darker, 0) << int(dark);
  }
  // The two dark greys differ by the letters' shapes.
  EXPECT_GT(shape_difference(seen[LED_FAST_BLINK], seen[LED_STEADY]), 0.3);
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
  const QString printed = pdf_layout_text(path("wydruk.pdf"));
  EXPECT_EQ(printed, pdf_layout_text(path("raport.pdf")));
  EXPECT_TRUE(printed.contains(QStringLiteral("konfiguracja niezapisana")));
  EXPECT_FALSE(printed.contains(QStringLiteral("Plik:")));

  const QString nowhere = path("brak/raport.pdf");
  EXPECT_FALSE(export_config_pdf(nowhere, matrix, info, &error));
  EXPECT_FALSE(error.isEmpty());
  EXPECT_FALSE(QFile::exists(nowhere));
  EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files), (QStringList{"raport.pdf", "wydruk.pdf"}));
}

// Each address's name stands whole beside its rows' labels, on their line; a
// name longer than the widened column wraps within its row, which grows.
TEST_F(ConfigReport, AddressNamesStandWholeOnTheirRowsLines) {
  ProjectNames names;
  for (int address = 0; address < ConfigMatrix::kAddresses; ++address)
    names.addresses[static_cast<std::size_t>(address)] =
        QStringLiteral("Czujka %1 pokój %2").arg(address, 2, 10, QLatin1Char('0')).arg(100 + address).toStdString();
  const QString longest = QStringLiteral("KOTŁOWNIA GAZOWA W PIWNICY BUDYNKU B – CZUJKA PRZY PALNIKU 2");
  ASSERT_EQ(longest.size(), 60);
  names.addresses[50] = longest.toStdString();
  ConfigMatrix matrix;
  matrix.set(ConfigMatrix::kFirstAddressRow + 3 * 7, 4, LED_STEADY);  // adr 7. Alarm I
  const QString pdf = path("nazwy.pdf");
  ASSERT_TRUE(export_config_pdf(pdf, matrix, report_info("/dane/obiekt.zelp", &names)));

  const QString layout = pdf_layout_text(pdf);
  for (int address = 0; address < ConfigMatrix::kAddresses; ++address) {
    if (address == 50) continue;
    const QString name = QString::fromStdString(names.addresses[static_cast<std::size_t>(address)]);
    for (int kind = 0; kind < 3; ++kind) {
      const int row = ConfigMatrix::kFirstAddressRow + 3 * address + kind;
      EXPECT_TRUE(row_line(layout, row).contains(name)) << row_label(row) << ": " << row_line(layout, row).toStdString();
    }
  }
  EXPECT_TRUE(row_line(layout, ConfigMatrix::kFirstAddressRow + 21).simplified().endsWith(QStringLiteral("pokój 107 C")));
  // The long name: every word of it between its row's label and the next row's.
  const int row = ConfigMatrix::kFirstAddressRow + 3 * 50;
  const qsizetype from = layout.indexOf(row_line(layout, row));
  const qsizetype to = layout.indexOf(row_line(layout, row + 1));
  ASSERT_GE(from, 0);
  ASSERT_GT(to, from);
  EXPECT_EQ(layout.mid(from, to - from).remove(QString::fromStdString(row_label(row))).simplified().toStdString(),
            longest.toStdString());
  EXPECT_FALSE(row_line(layout, row).contains(longest));  // wrapped
}

// "tylko zdarzenia, które zapalają lampy": the rows that light a lamp, in
// order, on one page, said so in the title block; none at all is said too.
TEST_F(ConfigReport, OnlyTheEventsThatLightALampWhenAskedAndSaidSo) {
  ConfigMatrix matrix;
  const int lit[] = {1, 20, 21, 304};
  for (const int row : lit) matrix.set(row, row % 25, LED_SLOW_BLINK);
  matrix.set(30, 3, LED_OFF);
  matrix.set(40, 3, LED_NOT_AVAILABLE);  // not lit
  EXPECT_EQ(report_row_count(matrix, ReportRows::lighting), 4);
  EXPECT_EQ(report_row_count(matrix, ReportRows::all), 304);
  const QString pdf = path("zapalone.pdf");
  ASSERT_TRUE(export_config_pdf(pdf, matrix, report_info("/dane/obiekt.zel", nullptr, ReportRows::lighting)));
  EXPECT_EQ(page_count(pdf), 1);
  const QString layout = pdf_layout_text(pdf);
  std::vector<int> rows;
  for (int row = 0; row < ConfigMatrix::kRows; ++row)
    if (!row_line(layout, row).isEmpty()) rows.push_back(row);
  EXPECT_EQ(rows, std::vector<int>(std::begin(lit), std::end(lit)));
  EXPECT_LT(layout.indexOf(row_line(layout, 20)), layout.indexOf(row_line(layout, 21)));
  const std::vector<TextLine> lines = text_lines(pdf);
  EXPECT_NE(find_line(lines, 1, QString::fromUtf8("Tylko zdarzenia, które zapalają lampy: 4 z 304.")), nullptr);
  EXPECT_NE(find_line(lines, 1, QStringLiteral("Zapalone pola: Wolne miganie: 4, Szybkie miganie: 0, Ciagle swiecenie: "
                                               "0, razem: 4")),
            nullptr);
  EXPECT_NE(find_line(lines, 1, table_header()), nullptr);

  ASSERT_TRUE(export_config_pdf(pdf, ConfigMatrix(), report_info({}, nullptr, ReportRows::lighting)));
  EXPECT_EQ(page_count(pdf), 1);
  const QString empty = pdf_layout_text(pdf);
  EXPECT_TRUE(empty.contains(QString::fromUtf8("Żadne zdarzenie nie zapala lamp."))) << empty.toStdString();
  EXPECT_TRUE(empty.contains(QStringLiteral("razem: 0")));
}

}  // namespace
