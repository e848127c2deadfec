// SPDX-License-Identifier: MIT
#pragma once
// The label insert's page, in millimetres: where the insert, its cut marks
// and the foot (the site and the date) stand on an A4 sheet. The drawing
// places them by these numbers and the geometry check takes its limits from
// them, so a geometry the check accepts is one the page holds.

inline constexpr double kLabelPageWidthMm = 210;
inline constexpr double kLabelPageHeightMm = 297;
// No cut mark comes closer to the sheet's edge than this.
inline constexpr double kLabelEdgeMarginMm = 3;
// The foot's text keeps this far from the sheet's sides.
inline constexpr double kLabelSideMarginMm = 10;
// The cut marks stand off the insert's corners by a gap and reach outwards.
inline constexpr double kLabelCutMarkGapMm = 2;
inline constexpr double kLabelCutMarkLengthMm = 5;
inline constexpr double kLabelCutMarkReachMm = kLabelCutMarkGapMm + kLabelCutMarkLengthMm;
// The insert's top edge; its cut marks reach up to 8 mm from the sheet's edge.
inline constexpr double kLabelInsertTopMm = 15;
// The foot's box: two lines of its largest type, above the sheet's bottom margin.
inline constexpr double kLabelFootBottomMm = kLabelPageHeightMm - 9;
inline constexpr double kLabelFootHeightMm = 9;
inline constexpr double kLabelFootTopMm = kLabelFootBottomMm - kLabelFootHeightMm;
inline constexpr double kLabelFootLeftMm = kLabelSideMarginMm;
inline constexpr double kLabelFootWidthMm = kLabelPageWidthMm - 2 * kLabelSideMarginMm;

// The limits of a geometry: five pitches across with the cut marks on
// either side inside the edge margins, five pitches down between the
// insert's top and its bottom cut marks, which end above the foot.
inline constexpr double kLabelMinimumMm = 5;
inline constexpr double kLabelMaxPitchAcrossMm =
    (kLabelPageWidthMm - 2 * (kLabelEdgeMarginMm + kLabelCutMarkReachMm)) / 5;
inline constexpr double kLabelMaxPitchDownMm = (kLabelFootTopMm - kLabelCutMarkReachMm - kLabelInsertTopMm) / 5;
