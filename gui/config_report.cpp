// SPDX-License-Identifier: MIT
#include "gui/config_report.h"

#include <QFontMetricsF>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <algorithm>
#include <array>
#include <vector>

#include "config/name_text.h"
#include "gui/matrix_model.h"
#include "gui/pdf_file.h"
#include "gui/wrapped_text.h"

namespace {

// Sizes in points (1/72 inch); ReportPainter turns them into device units.
constexpr double kTitleSize = 16;
constexpr double kTextSize = 9;
constexpr double kTableTextSize = 7.5;
constexpr double kTitleHeight = 24;
constexpr double kTextLineHeight = 13;
constexpr double kSwatch = 9;
constexpr double kGap = 8;
constexpr double kLabelWidth = 100;  // the label column at its narrowest
constexpr double kMaxCellWidth = 24;
// The cells give up width to the label column down to this, then names wrap.
constexpr double kMinCellWidth = 20;
constexpr double kNameGap = 6;  // between a row's label and its address's name
constexpr double kRowHeight = 11;
constexpr double kHeaderHeight = 13;
constexpr double kFooterHeight = 14;
constexpr double kTotalsHeight = 18;
constexpr double kLineWidth = 0.5;
constexpr double kPadding = 2.5;

const QColor kGridColor(96, 96, 96);
const QColor kHeaderFill(230, 230, 230);

// The window's legend, plus white for an output that stays off.
struct LegendEntry {
  std::uint8_t value;
  const char* text;
};
constexpr std::array kLegend = {
    LegendEntry{LED_SLOW_BLINK, "Wolne miganie"},
    LegendEntry{LED_FAST_BLINK, "Szybkie miganie"},
    LegendEntry{LED_STEADY, "Ciagle swiecenie"},
    LegendEntry{LED_OFF, "wyłączone"},
};
// Colours only a loaded .zel file can bring into the shown rows; named in
// the legend only when they occur.
constexpr std::uint8_t kOtherValue = 7;
constexpr std::array kRareLegend = {
    LegendEntry{LED_NOT_AVAILABLE, "niedostępne"},
    LegendEntry{kOtherValue, "inna wartość"},
};

// The events on paper when all are: every row but row 4.
constexpr int kEventRows = ConfigMatrix::kRows - 1;


// The event rows on paper: all but row 4, which has no function, or only
// those that light a lamp.
std::vector<int> reported_rows(const ConfigMatrix& matrix, ReportRows which) {
  std::vector<int> rows;
  for (int row = 0; row < ConfigMatrix::kRows; ++row) {
    if (row == ConfigMatrix::kNoFunctionRow) continue;
    if (which == ReportRows::lighting && !row_lights_a_lamp(matrix, row)) continue;
    rows.push_back(row);
  }
  return rows;
}

QColor cell_color(std::uint8_t value) { return to_qcolor(led_mode_color(value)); }

// A lit mode's letter stands out of its fill in grey too: black on the light
// yellow, white on the dark blue and red.
QColor letter_color(std::uint8_t value) { return value == LED_SLOW_BLINK ? Qt::black : Qt::white; }

// The letter's height against its cell's: room left for the grid lines.
constexpr double kLetterFill = 0.8;

struct PageRows {
  std::size_t first;  // index into reported_rows()
  std::size_t count;
};

// Splits rows of the given heights over pages of the given height (all in
// points): page 1 is shorter by the title block, and the last page keeps
// room for the totals line, so a page never holds the totals without a row
// above them. No rows still make one page, for the header and the totals.
std::vector<PageRows> paginate(const std::vector<double>& heights, double first_top, double page_height) {
  std::vector<PageRows> pages;
  const std::size_t rows = heights.size();
  std::size_t first = 0;
  while (first < rows || pages.empty()) {
    const double room = page_height - (pages.empty() ? first_top : 0) - kHeaderHeight - kFooterHeight;
    std::size_t count = 0;
    double used = 0;
    while (first + count < rows && used + heights[first + count] <= room) used += heights[first + count++];
    if (count == 0 && first < rows) count = 1;  // a row taller than a page stands alone
    if (first + count == rows && count > 1 && used + kTotalsHeight > room) --count;
    pages.push_back({first, count});
    first += count;
  }
  return pages;
}

class ReportPainter {
 public:
  ReportPainter(QPainter& painter, QPaintDevice& device, const ConfigMatrix& matrix, const ConfigReportInfo& info)
      : painter_(painter),
        device_(device),
        matrix_(matrix),
        info_(info),
        unit_(device.logicalDpiY() / 72.0),
        width_(device.width() / unit_),
        height_(device.height() / unit_),
        rows_(reported_rows(matrix, info.rows)) {
    lay_out_label_column();
  }

  // Pages after the first are started with new_page().
  template <typename NewPage>
  bool paint_pages(NewPage new_page) {
    std::vector<double> heights;
    for (const int row : rows_) heights.push_back(row_height(row));
    const std::vector<PageRows> pages = paginate(heights, first_page_top(), height_);
    const bool lamp_page = info_.names && has_names(*info_.names);
    const int page_count = static_cast<int>(pages.size()) + (lamp_page ? 1 : 0);
    for (std::size_t page = 0; page < pages.size(); ++page) {
      if (page > 0 && !new_page()) return false;
      double y = 0;
      if (page == 0) y = paint_title_block();
      y = paint_table_header(y);
      for (std::size_t i = 0; i < pages[page].count; ++i) y = paint_row(rows_[pages[page].first + i], y);
      if (rows_.empty()) y = paint_no_rows(y);
      if (page + 1 == pages.size()) paint_totals(y);
      paint_footer(static_cast<int>(page) + 1, page_count);
    }
    if (lamp_page) {
      if (!new_page()) return false;
      paint_lamp_names();
      paint_footer(page_count, page_count);
    }
    return true;
  }

 private:
  double device_units(double points) const { return points * unit_; }
  QRectF rect(double x, double y, double w, double h) const {
    return {device_units(x), device_units(y), device_units(w), device_units(h)};
  }

  static QFont font(double size, bool bold = false) { return pdf_text_font(size, bold); }

  // A text's width in points in the given font.
  double advance(const QFont& font, const QString& text) const {
    return QFontMetricsF(font, &device_).horizontalAdvance(text) / unit_;
  }

  QString address_name(int row) const {
    return info_.names ? QString::fromStdString(address_name_of_row(*info_.names, row)) : QString();
  }

  // The label column: wide enough for the longest label and, in a column
  // of their own beside them, the longest name, as far as the cells can
  // give up width; the cells share what is left.
  void lay_out_label_column() {
    const QFont table = font(kTableTextSize);
    double labels = 0;
    double names = 0;
    for (const int row : rows_) {
      labels = std::max(labels, advance(table, QString::fromStdString(row_label(row))));
      if (const QString name = address_name(row); !name.isEmpty()) names = std::max(names, advance(table, name));
    }
    name_left_ = kPadding + labels + kNameGap;
    const double wanted = names > 0 ? name_left_ + names + kPadding + 1 : kLabelWidth;
    label_width_ = std::max(kLabelWidth, std::min(wanted, width_ - ConfigMatrix::kColumns * kMinCellWidth));
    cell_width_ = std::clamp((width_ - label_width_) / ConfigMatrix::kColumns, 1.0, kMaxCellWidth);
  }

  // A row's name in its column: the lines it takes there.
  QStringList name_lines(int row) const {
    const QString name = address_name(row);
    if (name.isEmpty()) return {};
    QStringList lines = wrapped_lines(name, font(kTableTextSize), device_units(label_width_ - kPadding - name_left_),
                                      &device_);
    for (QString& line : lines) line = line.trimmed();
    return lines;
  }
  double line_height() const { return QFontMetricsF(font(kTableTextSize), &device_).height() / unit_; }

  // kRowHeight, or as high as the row's name in its lines.
  double row_height(int row) const {
    const auto lines = static_cast<double>(name_lines(row).size());
    return std::max(kRowHeight, kRowHeight + (lines - 1) * line_height());
  }

  // Text in a box, cut with "…" where it would not fit.
  void text(const QRectF& box, const QString& text, Qt::Alignment alignment) {
    const QFontMetricsF metrics(painter_.font(), &device_);
    if (!(alignment & Qt::AlignVertical_Mask)) alignment |= Qt::AlignVCenter;
    painter_.drawText(box, int(alignment), metrics.elidedText(text, Qt::ElideMiddle, box.width()));
  }

  QString file_text() const {
    return info_.source_file.isEmpty() ? QString::fromUtf8(kConfigReportNoFile) : info_.source_file;
  }

  // Page 1's title, file, date, the rows' choice and legend above the table.
  double first_page_top() const {
    const int lines = info_.rows == ReportRows::lighting ? 4 : 3;
    return kTitleHeight + lines * kTextLineHeight + kGap;
  }

  double paint_title_block() {
    painter_.setFont(font(kTitleSize, true));
    text(rect(0, 0, width_, kTitleHeight), QString::fromUtf8(kConfigReportTitle), Qt::AlignLeft);
    double y = kTitleHeight;
    painter_.setFont(font(kTextSize));
    const QString file = info_.source_file.isEmpty() ? file_text() : QStringLiteral("Plik: ") + file_text();
    text(rect(0, y, width_, kTextLineHeight), file, Qt::AlignLeft);
    y += kTextLineHeight;
    QString date = QStringLiteral("Data: ") + info_.created.toString(QStringLiteral("dd.MM.yyyy HH:mm"));
    if (const QString site = site_text(); !site.isEmpty()) date += QStringLiteral("     ") + site;
    text(rect(0, y, width_, kTextLineHeight), date, Qt::AlignLeft);
    y += kTextLineHeight;
    if (info_.rows == ReportRows::lighting) {
      const QString scope = QString::fromUtf8(kReportLightingOnly);
      text(rect(0, y, width_, kTextLineHeight),
           scope.left(1).toUpper() + scope.mid(1) + QStringLiteral(": %1 z %2.").arg(rows_.size()).arg(kEventRows),
           Qt::AlignLeft);
      y += kTextLineHeight;
    }
    paint_legend(y);
    return y + kTextLineHeight + kGap;
  }

  void paint_legend(double y) {
    std::vector<LegendEntry> entries(kLegend.begin(), kLegend.end());
    for (const LegendEntry& rare : kRareLegend) {
      const bool occurs = std::any_of(rows_.begin(), rows_.end(), [&](int row) {
        for (int column = 0; column < ConfigMatrix::kColumns; ++column)
          if (cell_color(matrix_.at(row, column)) == cell_color(rare.value)) return true;
        return false;
      });
      if (occurs) entries.push_back(rare);
    }
    const QFontMetricsF metrics(painter_.font(), &device_);
    double x = 0;
    const double swatch_top = y + (kTextLineHeight - kSwatch) / 2;
    for (const LegendEntry& entry : entries) {
      painter_.setPen(QPen(Qt::black, device_units(kLineWidth)));
      painter_.setBrush(cell_color(entry.value));
      painter_.drawRect(rect(x, swatch_top, kSwatch, kSwatch));
      paint_letter(rect(x, swatch_top, kSwatch, kSwatch), entry.value);
      x += kSwatch + 4;
      const QString label = QString::fromUtf8(entry.text);
      const double label_width = metrics.horizontalAdvance(label) / unit_;
      text(rect(x, y, label_width + 1, kTextLineHeight), label, Qt::AlignLeft);
      x += label_width + 18;
    }
    painter_.setBrush(Qt::NoBrush);
  }

  double cell_left(int column) const { return label_width_ + column * cell_width_; }
  double table_width() const { return cell_left(ConfigMatrix::kColumns); }

  // The grid lines around one row of the table: its top and bottom, the label
  // column's edge and every column's edge.
  void paint_grid(double y, double height) {
    painter_.setPen(QPen(kGridColor, device_units(kLineWidth)));
    painter_.setBrush(Qt::NoBrush);
    painter_.drawRect(rect(0, y, table_width(), height));
    for (int column = 0; column < ConfigMatrix::kColumns; ++column) {
      const double x = cell_left(column);
      painter_.drawLine(QPointF(device_units(x), device_units(y)), QPointF(device_units(x), device_units(y + height)));
    }
  }

  double paint_table_header(double y) {
    painter_.fillRect(rect(0, y, table_width(), kHeaderHeight), kHeaderFill);
    painter_.setPen(Qt::black);
    painter_.setFont(font(kTableTextSize, true));
    text(rect(kPadding, y, label_width_ - 2 * kPadding, kHeaderHeight), QStringLiteral("Zdarzenie"), Qt::AlignLeft);
    for (int column = 0; column < ConfigMatrix::kColumns; ++column)
      text(rect(cell_left(column), y, cell_width_, kHeaderHeight), QString::number(column + 1), Qt::AlignHCenter);
    paint_grid(y, kHeaderHeight);
    return y + kHeaderHeight;
  }

  // A lit mode's letter in the middle of its cell or legend square, bold,
  // as large as the box allows; nothing for any other value.
  void paint_letter(const QRectF& box, std::uint8_t value) {
    const char letter = led_mode_letter(value);
    if (letter == 0) return;
    const double size = std::min(box.width(), box.height()) * kLetterFill / unit_;
    painter_.save();  // the text after it keeps its own pen and font
    painter_.setFont(font(size, true));
    painter_.setPen(letter_color(value));
    painter_.drawText(box, Qt::AlignCenter, QString(QChar::fromLatin1(letter)));
    painter_.restore();
  }

  double paint_row(int row, double y) {
    const double height = row_height(row);
    for (int column = 0; column < ConfigMatrix::kColumns; ++column) {
      const QRectF cell = rect(cell_left(column), y, cell_width_, height);
      painter_.fillRect(cell, cell_color(matrix_.at(row, column)));
      paint_letter(cell, matrix_.at(row, column));
    }
    painter_.setPen(Qt::black);
    painter_.setFont(font(kTableTextSize));
    const QString label = QString::fromStdString(row_label(row));
    text(rect(kPadding, y, name_left_ - kPadding, kRowHeight), label, Qt::AlignLeft);
    const QStringList lines = name_lines(row);
    for (qsizetype line = 0; line < lines.size(); ++line)
      text(rect(name_left_, y + double(line) * line_height(), label_width_ - kPadding - name_left_, kRowHeight),
           lines[line], Qt::AlignLeft);
    paint_grid(y, height);
    return y + height;
  }

  // In place of the rows when no event lights a lamp.
  double paint_no_rows(double y) {
    painter_.setPen(Qt::black);
    painter_.setFont(font(kTableTextSize));
    text(rect(kPadding, y, width_ - kPadding, kRowHeight), QStringLiteral("Żadne zdarzenie nie zapala lamp."), Qt::AlignLeft);
    return y + kRowHeight;
  }

  void paint_totals(double y) {
    std::array<int, LED_STEADY + 1> lit{};
    for (const int row : rows_)
      for (int column = 0; column < ConfigMatrix::kColumns; ++column)
        if (is_lit_mode(matrix_.at(row, column))) ++lit[matrix_.at(row, column)];
    QString line = QStringLiteral("Zapalone pola: ");
    for (const LegendEntry& entry : kLegend) {
      if (!is_lit_mode(entry.value)) continue;
      line += QString::fromUtf8(entry.text) + QStringLiteral(": ") + QString::number(lit[entry.value]) +
              QStringLiteral(", ");
    }
    line += QStringLiteral("razem: ") + QString::number(lit[1] + lit[2] + lit[3]);
    painter_.setPen(Qt::black);
    painter_.setFont(font(kTextSize, true));
    text(rect(0, y + kGap / 2, width_, kTotalsHeight - kGap / 2), line, Qt::AlignLeft);
  }

  // "Obiekt: Zakład, ul. Długa 5, miejsce tablicy: portiernia"; empty without a site.
  QString site_text() const {
    const std::string site = info_.names ? site_line(info_.names->site) : std::string();
    return site.empty() ? QString() : QStringLiteral("Obiekt: ") + QString::fromStdString(site);
  }

  // The lamps' names, one line each, and the site's notes.
  void paint_lamp_names() {
    painter_.setPen(Qt::black);
    painter_.setFont(font(kTitleSize, true));
    text(rect(0, 0, width_, kTitleHeight), QStringLiteral("Nazwy lamp"), Qt::AlignLeft);
    double y = kTitleHeight;
    painter_.setFont(font(kTextSize));
    if (const QString site = site_text(); !site.isEmpty()) {
      text(rect(0, y, width_, kTextLineHeight), site, Qt::AlignLeft);
      y += kTextLineHeight;
    }
    if (!info_.names->site.notes.empty()) {
      text(rect(0, y, width_, kTextLineHeight), QStringLiteral("Uwagi: ") + QString::fromStdString(info_.names->site.notes),
           Qt::AlignLeft);
      y += kTextLineHeight;
    }
    y += kGap;
    const double line = std::min(kTextLineHeight, (height_ - y - kFooterHeight) / ConfigMatrix::kColumns);
    for (int lamp = 0; lamp < ConfigMatrix::kColumns; ++lamp) {
      const QString name = QString::fromStdString(lamp_name(*info_.names, lamp));
      text(rect(0, y, width_, line), QStringLiteral("Wyjście %1: %2").arg(lamp + 1).arg(name.isEmpty() ? QStringLiteral("–") : name),
           Qt::AlignLeft);
      y += line;
    }
  }

  void paint_footer(int page, int pages) {
    painter_.setPen(Qt::black);
    painter_.setFont(font(kTableTextSize));
    const double y = height_ - kFooterHeight;
    const QString number = QStringLiteral("Strona %1 z %2").arg(page).arg(pages);
    text(rect(0, y, width_ * 0.75, kFooterHeight), QString::fromUtf8(kConfigReportTitle) + QStringLiteral(" – ") +
         file_text(), Qt::AlignLeft | Qt::AlignBottom);
    text(rect(width_ * 0.75, y, width_ * 0.25, kFooterHeight), number, Qt::AlignRight | Qt::AlignBottom);
  }

  QPainter& painter_;
  QPaintDevice& device_;
  const ConfigMatrix& matrix_;
  const ConfigReportInfo& info_;
  const double unit_;  // device units per point
  const double width_;
  const double height_;
  const std::vector<int> rows_;
  double label_width_ = kLabelWidth;
  double name_left_ = kPadding;  // where the names' column starts
  double cell_width_ = kMaxCellWidth;
};

void set_error(QString* error, const QString& text) {
  if (error) *error = text;
}

}  // namespace

int report_row_count(const ConfigMatrix& matrix, ReportRows rows) {
  return static_cast<int>(reported_rows(matrix, rows).size());
}

bool paint_config_report(QPagedPaintDevice& device, const ConfigMatrix& matrix, const ConfigReportInfo& info,
                         QString* error) {
  QPainter painter;
  if (!painter.begin(&device)) {
    set_error(error, QStringLiteral("nie można rozpocząć rysowania stron"));
    return false;
  }
  ReportPainter report(painter, device, matrix, info);
  const bool painted = report.paint_pages([&device] { return device.newPage(); });
  if (!painter.end() || !painted) {
    set_error(error, QStringLiteral("nie udało się narysować wszystkich stron"));
    return false;
  }
  return true;
}

bool export_config_pdf(const QString& path, const ConfigMatrix& matrix, const ConfigReportInfo& info,
                       QString* error) {
  return save_pdf_file(path, QString::fromUtf8(kConfigReportTitle), QPageLayout::Landscape, QMarginsF(10, 10, 10, 10),
                       [&](QPdfWriter& writer, QString* reason) { return paint_config_report(writer, matrix, info, reason); },
                       error);
}

bool print_config_report(QPrinter& printer, const ConfigMatrix& matrix, const ConfigReportInfo& info,
                         QString* error) {
  printer.setPageOrientation(QPageLayout::Landscape);
  return paint_config_report(printer, matrix, info, error);
}
