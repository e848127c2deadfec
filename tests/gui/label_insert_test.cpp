// SPDX-License-Identifier: MIT
// The label insert as written: the names in reading order in its text, the
// fields' size and pitch measured on the page rendered at 254 dpi (0.1 mm a
// pixel), and the names too long for their field.

#include <gtest/gtest.h>

#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <vector>

#include "config/label_page.h"
#include "config/name_text.h"
#include "gui/label_insert.h"
#include "poppler_run.h"

namespace {

constexpr double kMmPerPixel = 0.1;  // at 254 dpi

// The centres of the dark runs along a line of the image, in mm.
std::vector<double> dark_runs(const QImage& image, QPoint from, QPoint step, int length) {
  std::vector<double> centres;
  int start = -1;
  for (int i = 0; i <= length; ++i) {
    const QPoint p = from + step * i;
    const bool dark = i < length && image.valid(p) && qGray(image.pixel(p)) < 128;
    if (dark && start < 0) start = i;
    if (!dark && start >= 0) {
      const double along = (from.x() * step.x() + from.y() * step.y()) + (start + i - 1) / 2.0;
      centres.push_back(along * kMmPerPixel);
      start = -1;
    }
  }
  return centres;
}

class LabelInsert : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(folder.isValid()); }
  QString path(const char* name) const { return folder.filePath(QString::fromUtf8(name)); }
  QTemporaryDir folder;
};

TEST_F(LabelInsert, NamesReadInOrderAndFieldsMeasureWhatWasSet) {
  ProjectNames names;
  for (std::size_t lamp = 0; lamp < 25; ++lamp) names.lamps[lamp] = "Strefa" + std::to_string(101 + lamp);
  names.site.name = "Zakład Północ";
  const LabelGeometry geometry{24.5, 19, 21.5, 13};
  LabelInsertFit fit;
  QString error;
  ASSERT_TRUE(export_label_insert_pdf(path("etykiety.pdf"), names, geometry, QDateTime(QDate(2026, 12, 7), QTime(9, 0)),
                                      &fit, &error))
      << error.toStdString();
  EXPECT_EQ(fit, LabelInsertFit{});

  const QString text = pdf_layout_text(path("etykiety.pdf"));
  qsizetype at = 0;
  for (int lamp = 0; lamp < 25; ++lamp) {
    const qsizetype found = text.indexOf(QStringLiteral("Strefa%1").arg(101 + lamp), at);
    ASSERT_GE(found, 0) << "lamp " << lamp + 1 << " out of order in:\n" << text.toStdString();
    at = found;
  }
  EXPECT_TRUE(text.contains(QStringLiteral("Zakład Północ – 07.12.2026")));
  EXPECT_TRUE(run_poppler(QStringLiteral("pdfinfo"), {path("etykiety.pdf")}).contains(QStringLiteral("(A4)")));

  run_poppler(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("254"), QStringLiteral("-gray"),
                                           QStringLiteral("-png"), QStringLiteral("-singlefile"), path("etykiety.pdf"),
                                           path("strona")});
  const QImage page(path("strona.png"));
  ASSERT_FALSE(page.isNull());
  const LabelOrigin origin = label_insert_origin(geometry);
  // Just inside the first fields' top edge and left edge, where no text stands.
  const int across_y = static_cast<int>((origin.top_mm + 0.4) / kMmPerPixel);
  const std::vector<double> across = dark_runs(page, {0, across_y}, {1, 0}, page.width());
  const int down_x = static_cast<int>((origin.left_mm + 0.4) / kMmPerPixel);
  const std::vector<double> down = dark_runs(page, {down_x, 0}, {0, 1}, page.height());
  ASSERT_GE(across.size(), 4u);
  ASSERT_GE(down.size(), 4u);
  EXPECT_NEAR(across[1] - across[0], 21.5, 0.2);  // field 1's width
  EXPECT_NEAR(across[3] - across[2], 21.5, 0.2);  // field 2's width
  EXPECT_NEAR(across[2] - across[0], 24.5, 0.2);  // pitch across
  EXPECT_NEAR(down[1] - down[0], 13, 0.2);        // field 1's height
  EXPECT_NEAR(down[3] - down[2], 13, 0.2);        // field 6's height
  EXPECT_NEAR(down[2] - down[0], 19, 0.2);        // pitch down
  EXPECT_NEAR(across[0], origin.left_mm, 0.2);
  EXPECT_NEAR(down[0], origin.top_mm, 0.2);
}

// The status names exactly the lamps whose names are smaller than the
// readable size or cut; a name printed whole in more lines at that size is fine.
TEST_F(LabelInsert, TheStatusNamesTheNamesShrunkBelowTheReadableSizeOrCut) {
  ProjectNames names;
  names.lamps[0] = "Kotłownia";
  names.lamps[1] = "Hala produkcyjna";  // wraps to two lines
  names.lamps[5] = "Rozdzielnia główna budynku C, piętro 2";  // three lines at the readable size
  names.lamps[6] = "Bardzo długa nazwa pomieszczenia technicznego numer 1234";
  names.lamps[24] = "Nazwabezżadnychodstępówktóraniemożesięzawinąć";
  LabelInsertFit fit;
  QString error;
  ASSERT_TRUE(export_label_insert_pdf(path("za-dlugie.pdf"), names, LabelGeometry{}, QDateTime::currentDateTime(),
                                      &fit, &error));
  EXPECT_EQ(fit.shrunk, QList<int>{7});
  EXPECT_EQ(fit.not_fitting, QList<int>{25});
  // Printed whole within their fields: the text inside each field's outline.
  const LabelGeometry geometry;
  const LabelOrigin origin = label_insert_origin(geometry);
  constexpr double kPointsPerMm = 72 / 25.4;
  for (const std::size_t lamp : {1, 5, 6}) {
    const double left = (origin.left_mm + double(lamp % 5) * geometry.pitch_across_mm) * kPointsPerMm;
    const double top = (origin.top_mm + double(lamp / 5) * geometry.pitch_down_mm) * kPointsPerMm;
    const QStringList crop{"-r", "72", "-x", QString::number(int(left)), "-y", QString::number(int(top)), "-W",
                           QString::number(int(geometry.width_mm * kPointsPerMm) + 1), "-H",
                           QString::number(int(geometry.height_mm * kPointsPerMm) + 1)};
    const QString field = run_poppler(QStringLiteral("pdftotext"), crop + QStringList{path("za-dlugie.pdf"), "-"});
    EXPECT_EQ(field.simplified(), QStringLiteral("%1 %2").arg(lamp + 1).arg(QString::fromStdString(names.lamps[lamp])));
  }
  EXPECT_EQ(label_insert_status(false, fit),
            QString::fromUtf8("Wkładka zapisana; nazwy mniejsze niż 6 pt w polach lamp: 7; nazwy nie mieszczą się w "
                              "polach lamp: 25."));
  EXPECT_EQ(label_insert_status(true, {{3, 4}, {}}),
            QString::fromUtf8("Wkładka wydrukowana; nazwy mniejsze niż 6 pt w polach lamp: 3, 4."));
  EXPECT_EQ(label_insert_status(true, {}), QString::fromUtf8("Wkładka z nazwami lamp wydrukowana."));
}

// The largest geometry the check accepts fills the page down to the foot,
// whose long site line wraps and shrinks to the page's width with the date kept.
TEST_F(LabelInsert, TheFootFitsThePageWidthBelowTheLargestInsertTheCheckAccepts) {
  const LabelGeometry largest{kLabelMaxPitchAcrossMm, kLabelMaxPitchDownMm, kLabelMaxPitchAcrossMm,
                              kLabelMaxPitchDownMm};
  EXPECT_EQ(label_geometry_fault(largest), "");
  for (const LabelGeometry& beyond : {LabelGeometry{kLabelMaxPitchAcrossMm + 0.1, 20, 22, 14},
                                      LabelGeometry{25, kLabelMaxPitchDownMm + 0.1, 22, 14}})
    EXPECT_NE(label_geometry_fault(beyond), "");
  EXPECT_EQ(label_geometry_fault({25, 52, 22, 14}), "rozstaw pionowy musi wynosić od 5 do 51,4 mm");

  ProjectNames names;
  for (std::size_t lamp = 0; lamp < 25; ++lamp) names.lamps[lamp] = "Strefa" + std::to_string(101 + lamp);
  names.site = {"Zespół Szkół Zawodowych nr 3 im. Marii Skłodowskiej-Curie",
                "ul. Generała Władysława Andersa 125, 15-124 Białystok",
                "portiernia przy wejściu głównym, parter, pokój 0.14", ""};
  ASSERT_TRUE(export_label_insert_pdf(path("duza.pdf"), names, largest, QDateTime(QDate(2026, 12, 7), QTime(9, 0)),
                                      nullptr, nullptr));
  const QString html = run_poppler(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), path("duza.pdf"), "-"});
  static const QRegularExpression word(
      QStringLiteral("<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"[\\d.]+\">([^<]*)</word>"));
  constexpr double kMmPerPoint = 25.4 / 72;
  const double insert_bottom = kLabelInsertTopMm + 5 * largest.pitch_down_mm + kLabelCutMarkReachMm;
  QStringList foot;
  for (auto match = word.globalMatch(html); match.hasNext();) {
    const QRegularExpressionMatch found = match.next();
    const double left = found.captured(1).toDouble() * kMmPerPoint;
    const double right = found.captured(3).toDouble() * kMmPerPoint;
    EXPECT_GE(left, kLabelSideMarginMm - 0.5) << found.captured(4).toStdString();
    EXPECT_LE(right, kLabelPageWidthMm - kLabelSideMarginMm + 0.5) << found.captured(4).toStdString();
    if (found.captured(2).toDouble() * kMmPerPoint > insert_bottom) foot << found.captured(4);
  }
  EXPECT_EQ(foot.join(' '), QString::fromUtf8("Zespół Szkół Zawodowych nr 3 im. Marii Skłodowskiej-Curie, ul. Generała "
                                              "Władysława Andersa 125, 15-124 Białystok, miejsce tablicy: portiernia "
                                              "przy wejściu głównym, parter, pokój 0.14 – 07.12.2026"));
}

}  // namespace
