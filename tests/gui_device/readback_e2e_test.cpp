// SPDX-License-Identifier: MIT
// "Odczytaj" and "Weryfikuj" end to end: a configuration uploaded by the
// window comes back into a fresh grid, a verify finds exactly the cells
// edited since, and failures leave the grid as it was.

#include <QAbstractItemModel>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>

#include "config/config_matrix.h"
#include "flash_layout.h"
#include "module_window_fixture.h"
#include "protocol/usb_frame.h"

namespace {

const std::string kReadStarted = "\t\t\t*** Rozpoczęto proces odczytywania konfiguracji z FLASH! ***";
const std::string kReadFinished = "\t\t\t*** Zakończono proces odczytywania konfiguracji z FLASH! ***";
constexpr int kReads = 158;  // both halves of blocks 0-12 of six pages, half 0 of block 13 of two

// What a grid holds after reading back an upload of `m`: modes 1-3 as they
// were, every other value off, row 4 not available.
ConfigMatrix as_read_back(const ConfigMatrix& m) {
  ConfigMatrix read = m;
  for (int row = 0; row < 305; ++row) {
    for (int column = 0; column < 25; ++column) {
      const std::uint8_t value = m.at(row, column);
      read.set(row, column, row == 4 ? 255 : (value >= 1 && value <= 3 ? value : 0));
    }
  }
  return read;
}

class ReadbackTest : public ModuleWindowTest {
 protected:
  void upload(const ConfigMatrix& matrix) {
    config_matrix() = matrix;
    ui().WriteConfigButton->click();
    ASSERT_EQ(status(), "Konfiguracja zapisana!");
  }
  // A grid that no read should leave as it is.
  void fillGrid(unsigned seed) {
    config_matrix() = random_matrix(seed);
    window().repaintMatrix();
  }
  std::vector<std::string> differenceLines(std::size_t from) {
    std::vector<std::string> found;
    for (const std::string& line : consoleSince(from))
      if (line.rfind("\t\t\t\t", 0) == 0) found.push_back(line);
    return found;
  }
  void expectEndedIdle() {
    EXPECT_FALSE(ui().ProgressBar->isVisible());
    EXPECT_EQ(ui().ProgressBar->value(), 0);
    expectDisconnected();
  }
  void failAfter(int exchanges_from_now, ZelModule::Faults faults) {
    faults.fail_at = static_cast<int>(module().requests().size()) + exchanges_from_now;
    module().set_faults(faults);
  }
};

// The two buttons share the free space of the bottom row with the others,
// in line with them and clear of both neighbours, with hints like theirs.
TEST_F(ReadbackTest, ButtonsSitInTheBottomRowBesideTheOthers) {
  QPushButton* const row[] = {ui().SaveConfigButton, ui().LoadConfigButton, ui().ReadConfigButton,
                              ui().VerifyConfigButton, ui().WriteConfigButton};
  for (std::size_t i = 0; i < std::size(row); ++i) {
    SCOPED_TRACE(row[i]->objectName().toStdString());
    EXPECT_EQ(row[i]->parentWidget(), ui().ConfigTabSheet);
    EXPECT_EQ(row[i]->geometry().top(), row[0]->geometry().top());
    EXPECT_EQ(row[i]->size(), row[0]->size());
    EXPECT_TRUE(row[i]->isVisible());
    EXPECT_FALSE(row[i]->property("hint").toString().isEmpty());
    if (i > 0) {
      EXPECT_GT(row[i]->geometry().left(), row[i - 1]->geometry().right() + 8);
    }
  }
  EXPECT_EQ(ui().ReadConfigButton->text(), "Odczytaj");
  EXPECT_EQ(ui().VerifyConfigButton->text(), "Weryfikuj");
}

TEST_F(ReadbackTest, ReadsAnUploadedConfigurationIntoAFreshGrid) {
  const ConfigMatrix uploaded = random_matrix(99);
  upload(uploaded);
  config_matrix().reset();
  window().repaintMatrix();
  const std::size_t requests_before = module().requests().size();
  const std::size_t console_before = console_log().size();
  StatusRecorder recorder(ui().Status, ui().ProgressBar);

  ui().ReadConfigButton->click();

  EXPECT_EQ(config_matrix(), as_read_back(uploaded));
  const std::vector<StatusRecorder::Shown> expected_statuses = {
      {"Odczytywanie konfiguracji...", 0, true},
      {"Konfiguracja odczytana!", kReads, true},
  };
  EXPECT_EQ(recorder.shown, expected_statuses);
  EXPECT_EQ(ui().ProgressBar->maximum(), kReads);
  expectEndedIdle();

  // Repainted: a cell shows what was read.
  int row = 5, column = 0;
  while (config_matrix().at(row, column) != 3) ++row;
  EXPECT_EQ(ui().DrawGrid1->model()->index(row, column).data(Qt::BackgroundRole).value<QColor>(),
            QColor(255, 0, 0));

  const std::vector<UsbFrame> requests = module().requests();
  ASSERT_EQ(requests.size(), requests_before + 1 + kReads);
  EXPECT_EQ(requests[requests_before][0], HELLO_USB_FRAME);
  for (std::size_t i = requests_before + 1; i < requests.size(); ++i)
    ASSERT_EQ(requests[i][0], READ_FLASH_BLOCK_USB_FRAME) << i;

  const std::vector<std::string> lines = consoleSince(console_before);
  ASSERT_EQ(lines.size(), 3u + 2u + 3u + 2u * kReads + 3u + 3u);
  EXPECT_EQ(lines[1], kConnectedBanner);
  EXPECT_EQ(lines[6], kReadStarted);
  EXPECT_EQ(lines[lines.size() - 5], kReadFinished);
  EXPECT_EQ(lines[lines.size() - 2], kDisconnectedBanner);
}

TEST_F(ReadbackTest, VerifyAgreesAfterAnUploadAndFindsOneClickedCell) {
  upload(random_matrix(42));
  std::size_t from = console_log().size();
  ui().VerifyConfigButton->click();
  EXPECT_EQ(status(), "Konfiguracja w module zgodna z edytowaną.");
  EXPECT_TRUE(differenceLines(from).empty());
  EXPECT_EQ(config_matrix(), random_matrix(42));  // verifying changes no cell
  expectEndedIdle();

  // One click on row 10 ("adr 1. Awaria"), output 4.
  const std::uint8_t module_mode = as_read_back(config_matrix()).at(10, 3);
  const QPoint cell = ui().DrawGrid1->visualRect(ui().DrawGrid1->model()->index(10, 3)).center();
  QTest::mouseClick(ui().DrawGrid1->viewport(), Qt::LeftButton, {}, cell);
  const std::uint8_t grid_mode = config_matrix().at(10, 3);
  ASSERT_NE(grid_mode, module_mode);

  Form_main->selectMatrixRow(200);  // looking elsewhere when verifying
  Form_main->selectLabelRow(200);
  from = console_log().size();
  ui().VerifyConfigButton->click();
  EXPECT_EQ(status(), "Konfiguracja w module różni się w 1 komórce!");
  EXPECT_EQ(Form_main->selectedMatrixRow(), 10);  // brought to the differing cell
  EXPECT_EQ(Form_main->selectedLabelRow(), 10);
  EXPECT_EQ(ui().StringGrid3->currentColumn(), 3);
  const std::vector<std::string> differences = differenceLines(from);
  ASSERT_EQ(differences.size(), 1u);
  const std::string& line = differences[0];
  EXPECT_NE(line.find("adr 1. Awaria"), std::string::npos) << line;
  EXPECT_NE(line.find(" 4:"), std::string::npos) << line;
  EXPECT_NE(line.find("w edytorze " + std::to_string(grid_mode)), std::string::npos) << line;
  EXPECT_NE(line.find("w module " + std::to_string(module_mode)), std::string::npos) << line;
  expectEndedIdle();

  // The cell is marked on the grid, and no other: its pixels differ from
  // those of an unmarked cell of the same colour.
  for (int row = 0; row < 305; ++row)
    for (int column = 0; column < 25; ++column)
      ASSERT_EQ(window().isDifferenceMarked(row, column), row == 10 && column == 3) << row << "," << column;
  ui().DrawGrid1->clearFocus();  // no focus frame on the current cell
  int same_colour = 0;
  while (config_matrix().at(same_colour / 25, same_colour % 25) != grid_mode || same_colour == 10 * 25 + 3)
    ++same_colour;
  ASSERT_LT(same_colour / 25, 18) << "a cell of the same colour in view";
  EXPECT_NE(cellImage(10, 3), cellImage(same_colour / 25, same_colour % 25));
  QTest::mouseClick(ui().DrawGrid1->viewport(), Qt::LeftButton, {}, cell);  // any change clears the marks
  EXPECT_FALSE(window().isDifferenceMarked(10, 3));

  // "Odczytaj" changes the grid too: the module's cells come in, the marks go.
  ui().VerifyConfigButton->click();
  ASSERT_TRUE(window().isDifferenceMarked(10, 3));
  ui().ReadConfigButton->click();
  EXPECT_EQ(config_matrix().at(10, 3), module_mode);
  EXPECT_FALSE(window().isDifferenceMarked(10, 3));
}

TEST_F(ReadbackTest, ModuleNeverWrittenHoldsNoConfiguration) {
  fillGrid(8);
  const ConfigMatrix before = config_matrix();
  for (QPushButton* button : {ui().ReadConfigButton, ui().VerifyConfigButton}) {
    SCOPED_TRACE(button->objectName().toStdString());
    ui().Status->clearMessage();
    button->click();
    EXPECT_EQ(status(), "Moduł nie zawiera poprawnej konfiguracji!");
    EXPECT_EQ(config_matrix(), before);
    expectEndedIdle();
  }
}

TEST_F(ReadbackTest, FailedReadLeavesTheGridAsItWas) {
  struct Case {
    const char* name;
    QPushButton* button;
    ZelModule::Faults faults;
  };
  ZelModule::Faults refuse;
  refuse.refuse_code = READ_FLASH_BLOCK_USB_FRAME;
  ZelModule::Faults unplug_at;  // unplug_after counts from the module's start: set below
  const Case cases[] = {
      {"read refused", ui().ReadConfigButton, refuse},
      {"unplugged while reading", ui().ReadConfigButton, unplug_at},
      {"verify refused", ui().VerifyConfigButton, refuse},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    rebuildBed();
    window().DisconnectButtonClick();
    upload(random_matrix(6));
    fillGrid(7);
    const ConfigMatrix before = config_matrix();
    ZelModule::Faults faults = c.faults;
    if (!faults.refuse_code) {
      faults.unplug_after = static_cast<int>(module().requests().size()) + 1 + 100;
      module().set_faults(faults);
    } else {
      failAfter(1 + 50, faults);  // the hello, then 50 good reads
    }
    ui().Status->clearMessage();
    c.button->click();
    EXPECT_EQ(status(), "Błąd odczytu konfiguracji!");
    EXPECT_EQ(config_matrix(), before);
    EXPECT_FALSE(consoleHas(kReadFinished));
    expectEndedIdle();
  }
}

TEST_F(ReadbackTest, WithoutModuleSendsNothingAndSaysSo) {
  rebuildBed({.modules = 0});
  for (QPushButton* button : {ui().ReadConfigButton, ui().VerifyConfigButton}) {
    SCOPED_TRACE(button->objectName().toStdString());
    console_log().clear();
    button->click();
    EXPECT_EQ(console(), (std::vector<std::string>{"", kNotConnectedBanner, "", kDisconnectedBanner, ""}));
    EXPECT_EQ(status(), kNotConnectedStatus);
    expectEndedIdle();
  }
}

}  // namespace
