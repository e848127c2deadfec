// SPDX-License-Identifier: MIT
// The whole path of a name: typed into "Nazwy" by keys only, then found in
// the grid's tool tip, the output header, the board window and the report;
// one undo step; kept by a project and announced as left out by a .zel.

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QRegularExpression>
#include <QLineEdit>
#include <QListWidget>
#include <QPrinter>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>

#include "app/board_window.h"
#include "app/bus_monitor_tab.h"
#include "gui/bus_monitor_view.h"
#include "commissioning/bus_log.h"
#include "config/name_text.h"
#include "gui/edit_history.h"
#include "gui/label_geometry_dialog.h"
#include "gui/lamp_board.h"
#include "gui/names_dialog.h"
#include "file_window_test.h"
#include "poppler_run.h"

namespace {

// Keys go where the focus is, as the keyboard's would.
QWidget* focused() {
  return QApplication::focusWidget() ? QApplication::focusWidget() : QApplication::activeModalWidget();
}
void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) { QTest::keyClick(focused(), key, modifiers); }
// Letters beyond ASCII come as a Polish keyboard gives them: a key event carrying the text.
void type(const QString& text) {
  for (const QChar c : text) {
    if (c.unicode() < 128) {
      QTest::keyClick(focused(), c.toLatin1());
    } else {
      QTest::sendKeyEvent(QTest::Press, focused(), Qt::Key_unknown, QString(c), Qt::NoModifier);
      QTest::sendKeyEvent(QTest::Release, focused(), Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
  }
}

// Moves the focus by Tab until it rests on the widget of this name.
bool tab_to(const char* name) {
  for (int i = 0; i < 12; ++i) {
    if (focused()->objectName() == QLatin1String(name)) return true;
    press(Qt::Key_Tab);
  }
  ADD_FAILURE() << "no focus on " << name << ", it rests on " << focused()->objectName().toStdString();
  return false;
}

// In a list of names: down to `row`, type the name, Return to end editing.
void name_row(int row, const QString& name) {
  for (int i = 0; i < row; ++i) press(Qt::Key_Down);
  type(name);
  press(Qt::Key_Return);
  QTest::qWait(20);  // the editor closes through the event loop
}

class NamesWindowTest : public FileWindowTest {};

TEST_F(NamesWindowTest, ANameTypedInTheDialogAppearsWhereverItsLampOrAddressDoes) {
  const int steps = window().editHistory().stack().count();
  bool driven = false;
  QTimer::singleShot(0, [&driven] {
    auto* dialog = qobject_cast<NamesDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    const auto drive = [] {
      if (!tab_to("SiteNameEdit")) return false;
      type(QStringLiteral("Zakład Północ"));
      press(Qt::Key_Tab, Qt::ControlModifier);  // "Lampy"
      if (!tab_to("LampNames")) return false;
      name_row(6, QStringLiteral("Hala A"));
      press(Qt::Key_Tab, Qt::ControlModifier);  // "Adresy"
      if (!tab_to("AddressNames")) return false;
      name_row(12, QStringLiteral("Kotłownia"));
      return true;
    };
    // A dialog left open would hang the test.
    dialog->activateWindow();
    const bool focused_inside =
        QTest::qWaitFor([dialog] { return dialog->isAncestorOf(QApplication::focusWidget()); }, 5000);
    if (!focused_inside || !drive()) return dialog->reject();
    driven = true;
    press(Qt::Key_Return);  // OK
  });
  ui().NamesButton->click();
  ASSERT_TRUE(driven);
  EXPECT_EQ(project_names().site.name, "Zakład Północ");
  EXPECT_EQ(project_names().lamps[6], "Hala A");
  EXPECT_EQ(project_names().addresses[12], "Kotłownia");
  EXPECT_EQ(window().editHistory().stack().count(), steps + 1);
  EXPECT_TRUE(window().windowTitle().endsWith(QStringLiteral(" *")));

  // Row 41 is "adr 12. Alarm I"; output 7 is column 6.
  const QModelIndex cell = ui().DrawGrid1->model()->index(41, 6);
  const QString expected = QStringLiteral("adr 12. Alarm I (Kotłownia), wyjście 7 (Hala A): wyłączone");
  EXPECT_EQ(cell.data(Qt::ToolTipRole).toString(), expected);
  EXPECT_EQ(cell.data(Qt::AccessibleTextRole).toString(), expected);
  EXPECT_EQ(ui().StringGrid3->item(0, 6)->toolTip(), QStringLiteral("Hala A"));
  EXPECT_EQ(ui().StringGrid2->item(41, 0)->text(), QStringLiteral("adr 12. Alarm I"));  // the label stays

  ui().BoardButton->click();
  window().selectMatrixRow(41);
  LampBoard* lamps = window().boardWindow()->lamps();
  EXPECT_EQ(lamps->names()[6], QStringLiteral("Hala A"));
  EXPECT_EQ(lamps->lampToolTip(6), QStringLiteral("Wyjście 7 (Hala A): wyłączone"));
  EXPECT_EQ(lamps->heading(), QStringLiteral("adr 12. Alarm I (Kotłownia)"));
  // The monitor's list of changes names the address after its label.
  BusMonitorView* monitor = window().busMonitor()->view();
  monitor->appendEntries({BusChange{std::chrono::milliseconds(1000), 0, 41, true}});
  auto* changes = monitor->findChild<QListWidget*>(QStringLiteral("MonitorChangeList"));
  EXPECT_EQ(changes->item(changes->count() - 1)->text(),
            QStringLiteral("00:00:01.000  centrala 0  adr 12. Alarm I (Kotłownia)  początek"));

  answer = path("raport.pdf");
  ui().ExportButton->click();
  const QString report = pdf_layout_text(answer);
  EXPECT_TRUE(report.contains(QStringLiteral("Obiekt: Zakład Północ")));
  EXPECT_TRUE(report.contains(QRegularExpression(QStringLiteral("adr 12. Alarm I +Kotłownia"))));
  EXPECT_TRUE(report.contains(QStringLiteral("Wyjście 7: Hala A")));

  // A .zel leaves the names out: the save asks first; the window stays marked.
  save(path("tabela.zel"));
  ASSERT_EQ(questions.size(), 1);
  EXPECT_TRUE(questions[0].contains(QStringLiteral("nazwy obiektu, lamp i adresów"))) << questions[0].toStdString();
  EXPECT_TRUE(window().windowTitle().endsWith(QStringLiteral(" *")));
  save(path("projekt.zelp"));
  EXPECT_FALSE(window().windowTitle().endsWith(QStringLiteral(" *")));

  // One undo takes every name back; the project brings them again.
  window().editHistory().stack().undo();
  EXPECT_EQ(project_names(), ProjectNames{});
  EXPECT_EQ(cell.data(Qt::ToolTipRole).toString(), QStringLiteral("adr 12. Alarm I, wyjście 7: wyłączone"));
  EXPECT_EQ(lamps->names()[6], QString());
  load(path("projekt.zelp"));
  EXPECT_EQ(project_names().lamps[6], "Hala A");
  EXPECT_EQ(lamps->names()[6], QStringLiteral("Hala A"));
  EXPECT_TRUE(warnings.isEmpty()) << warnings.join(QLatin1Char('\n')).toStdString();
}

TEST_F(NamesWindowTest, APastedColumnFillsTheFollowingRowsAndAnulujDropsEverything) {
  ProjectNames names;
  names.lamps[0] = "stara";
  NamesDialog dialog(names);
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
  dialog.tabs()->setCurrentIndex(1);
  auto* list = dialog.findChild<QTableWidget*>(QStringLiteral("LampNames"));
  list->setFocus();
  list->setCurrentCell(23, 1);
  QApplication::clipboard()->setText(QStringLiteral("  Hala B \r\nKotłownia\tx\r\npoza listą\r\n"));
  QTest::keyClick(list, Qt::Key_V, Qt::ControlModifier);
  const ProjectNames read = dialog.names();
  EXPECT_EQ(read.lamps[0], "stara");
  EXPECT_EQ(read.lamps[23], "Hala B");
  EXPECT_EQ(read.lamps[24], "Kotłownia");
  QTest::keyClick(list, Qt::Key_Escape);
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

// A name is never cut: typing stops at 60 characters; a longer name pasted
// stays whole, shown as refused, and OK names it instead of taking it.
TEST_F(NamesWindowTest, ANameLongerThanSixtyIsRefusedByNameNeverCut) {
  NamesDialog dialog(ProjectNames{});
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
  dialog.tabs()->setCurrentIndex(1);
  auto* list = dialog.findChild<QTableWidget*>(QStringLiteral("LampNames"));
  list->setFocus();
  name_row(0, QString(64, u'ż'));  // typed into the editor the first key opens
  EXPECT_EQ(list->item(0, 1)->text(), QString(60, u'ż'));
  const QString long_name = QString(62, u'x');
  list->setCurrentCell(6, 1);
  QApplication::clipboard()->setText(long_name);
  QTest::keyClick(list, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(list->item(6, 1)->toolTip(), QStringLiteral("Za długa nazwa: 62 znaki, najwyżej 60."));
  dialog.accept();
  EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("RefusedNamesLabel"))->text(),
            QStringLiteral("Za długie nazwy (najwyżej 60 znaków): Lampa 7 – 62 znaki."));
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
  list->item(6, 1)->setText(long_name.left(60));
  dialog.accept();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST_F(NamesWindowTest, DeleteAndBackspaceClearTheSelectedNames) {
  ProjectNames names;
  names.lamps = {"Hala 0", "Hala 1", "Hala 2", "Hala 3"};
  NamesDialog dialog(names);
  auto* list = dialog.findChild<QTableWidget*>(QStringLiteral("LampNames"));
  list->setRangeSelected(QTableWidgetSelectionRange(1, 1, 2, 1), true);
  list->setRangeSelected(QTableWidgetSelectionRange(0, 1, 0, 1), false);
  QTest::keyClick(list, Qt::Key_Delete);
  list->setCurrentCell(3, 1);
  QTest::keyClick(list, Qt::Key_Backspace);
  EXPECT_EQ(dialog.names().lamps, (std::array<std::string, 25>{"Hala 0"}));
}

// "Drukuj..." in the "Etykiety" dialog sends the insert to the printer set up, not to a file.
TEST_F(NamesWindowTest, EtykietyPrintsTheInsertOnThePrinterSetUp) {
  project_names().lamps[6] = "Hala A";
  window().setUpPrinter = [&](QPrinter& printer) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path("wkladka.pdf"));
    return true;
  };
  QTimer::singleShot(0, [] {
    QWidget* dialog = QApplication::activeModalWidget();
    ASSERT_NE(dialog, nullptr);
    dialog->findChild<QPushButton*>(QStringLiteral("PrintLabelsButton"))->click();
  });
  ui().LabelsButton->click();
  EXPECT_EQ(window().statusText(), QStringLiteral("Wkładka z nazwami lamp wydrukowana."));
  const QString text = pdf_layout_text(path("wkladka.pdf"));
  EXPECT_TRUE(text.contains(QStringLiteral("Hala A"))) << text.toStdString();
  EXPECT_TRUE(warnings.isEmpty()) << warnings.join(QLatin1Char('\n')).toStdString();
}

// "Etykiety" by keys alone: it opens in "Rozstaw lamp poziomo", typed digits
// replace a field's value, Tab goes to the next field, Return is OK.
TEST(LabelGeometryDialogKeys, TypedPitchesAndReturnAreTaken) {
  LabelGeometryDialog dialog(LabelGeometry{});
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
  type(QStringLiteral("30"));
  press(Qt::Key_Tab);
  type(QStringLiteral("24"));
  press(Qt::Key_Return);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_FALSE(dialog.printChosen());
  EXPECT_EQ(dialog.geometry(), (LabelGeometry{30, 24, 22, 14}));
}

}  // namespace
