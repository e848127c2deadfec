// SPDX-License-Identifier: MIT
// The main window as a whole: start state, frame, hidden service page,
// stored layout, hints, dialogs' texts and the status area.

#include <algorithm>

#include <QApplication>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGroupBox>
#include <QHelpEvent>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QScreen>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyledItemDelegate>
#include <QTabBar>
#include <QTableWidget>
#include <QToolTip>

#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>

#include "app/application_setup.h"
#include "app/console_view.h"
#include "app/console_window.h"
#include "app/file_dialogs.h"
#include "gui/filled_shape.h"
#include "gui/grid_text_delegate.h"
#include "window_fixture.h"

namespace {

TEST_F(WindowTest, StartsOnTheConfigurationPageWithNothingDone) {
  EXPECT_EQ(Form_main, &window());
  EXPECT_EQ(ui().Page->currentWidget(), ui().ConfigTabSheet);
  EXPECT_TRUE(ui().Status->currentMessage().isEmpty());
  EXPECT_FALSE(ui().ProgressBar->isVisible());
  EXPECT_EQ(ui().ProgressBar->minimum(), 0);
  EXPECT_EQ(ui().ProgressBar->maximum(), 100);
  ui().Console->flush();
  EXPECT_TRUE(ui().Console->toPlainText().isEmpty());
  EXPECT_EQ(console_log().size(), 0u);
  EXPECT_TRUE(ui().ConnectButton->isEnabled());
  EXPECT_FALSE(ui().DisconnectButton->isEnabled());
  EXPECT_EQ(ui().ConnectionLed->brushColor(), QColor(255, 0, 0));
  EXPECT_TRUE(ui().ConnectionLed->isCircle());
  EXPECT_TRUE(ui().TestButton->isEnabled());
  EXPECT_FALSE(ui().KVRnumberEdit->isEnabled());
  EXPECT_EQ(ui().KVRnumberEdit->value(), 0);
  EXPECT_EQ(ui().CSpinEdit1->value(), 0);
  EXPECT_EQ(ui().CSpinEdit2->value(), 1);
  EXPECT_FALSE(ui().CSpinEdit1->isEnabled());
  EXPECT_FALSE(ui().CSpinEdit2->isEnabled());
}

// The designed size is where the window starts and the smallest it gets; it
// may be maximised.
TEST_F(WindowTest, StartsCentredAtTheDesignedSizeWhichIsItsSmallest) {
  EXPECT_EQ(window().windowTitle(),
            QString::fromUtf8("ZEL17 - Konfigurator tablicy synoptycznej systemu KVR17 (v1_1)"));
  EXPECT_EQ(QApplication::applicationName(), QString::fromUtf8(kApplicationTitle));
  EXPECT_EQ(window().size(), QSize(850, 614));
  EXPECT_EQ(window().minimumSize(), QSize(850, 614));
  EXPECT_EQ(window().maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
  const Qt::WindowFlags flags = window().windowFlags();
  EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
  EXPECT_TRUE(flags & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
  EXPECT_TRUE(flags & Qt::WindowSystemMenuHint);
  const QPoint screen_centre = window().screen()->availableGeometry().center();
  EXPECT_LE((window().frameGeometry().center() - screen_centre).manhattanLength(), 2);
}

// The title bar, taskbar and Alt+Tab take the icon from the window, which has
// it from the application: every size the systems ask for, each image drawn.
// It comes right after the window's first paint.
TEST_F(WindowTest, CarriesTheProgramIconInEverySize) {
  ASSERT_TRUE(QTest::qWaitFor([this] { return !window().windowIcon().isNull(); }, 5000));
  const QIcon icon = window().windowIcon();
  EXPECT_EQ(icon.cacheKey(), QApplication::windowIcon().cacheKey());
  QList<int> sizes;
  for (const QSize& size : icon.availableSizes()) sizes.append(size.width());
  std::sort(sizes.begin(), sizes.end());
  EXPECT_EQ(sizes, QList<int>({16, 24, 32, 48, 64, 128, 256}));
  const QImage image = icon.pixmap(QSize(32, 32)).toImage();
  ASSERT_EQ(image.size(), QSize(32, 32));
  EXPECT_NE(image.pixelColor(16, 16).alpha(), 0);  // the board, not an empty picture
  EXPECT_EQ(QGuiApplication::desktopFileName(), QStringLiteral("zel17"));
}

TEST_F(WindowTest, KeyboardNeverShowsTheServicePage) {
  const int advanced = ui().Page->indexOf(ui().AdvancedTabSheet);
  ASSERT_GE(advanced, 0);
  EXPECT_FALSE(ui().Page->isTabVisible(advanced));
  EXPECT_EQ(ui().Page->tabText(advanced), QString::fromUtf8("Zaawanowane"));
  EXPECT_EQ(ui().Page->tabText(ui().Page->indexOf(ui().ConfigTabSheet)), QString::fromUtf8("Konfiguraja ZEL"));

  struct Press {
    QWidget* target;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
  };
  ui().DrawGrid1->setFocus();
  const Press presses[] = {
      {ui().DrawGrid1, Qt::Key_Tab, Qt::ControlModifier},
      {ui().DrawGrid1, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier},
      {ui().StringGrid2, Qt::Key_Tab, Qt::ControlModifier},
      {ui().Page, Qt::Key_Tab, Qt::ControlModifier},
      {ui().Page, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier},
      {ui().Page->tabBar(), Qt::Key_Right, Qt::NoModifier},
      {ui().Page->tabBar(), Qt::Key_Left, Qt::NoModifier},
      {ui().Page->tabBar(), Qt::Key_End, Qt::NoModifier},
  };
  for (const Press& press : presses) {
    for (int repeat = 0; repeat < 3; ++repeat) {
      QTest::keyClick(press.target, press.key, press.modifiers);
      EXPECT_EQ(ui().Page->currentWidget(), ui().ConfigTabSheet) << press.key;
    }
  }
}

struct Placement {
  const char* name;
  const char* parent;
  QRect geometry;
  const char* text;  // button caption or group title; nullptr when none
};

// The placements the window's behaviour depends on: the grids that must line
// up, and the progress bar lying over the status bar.
const Placement kPlacements[] = {
    {"Page", "TForm_main", {8, 8, 833, 585}, nullptr},
    {"Status", "TForm_main", {0, 595, 850, 19}, nullptr},
    {"ProgressBar", "TForm_main", {272, 600, 569, 9}, nullptr},
    {"StringGrid3", "ConfigTabSheet", {96, 32, 601, 25}, nullptr},
    {"StringGrid2", "ConfigTabSheet", {8, 56, 89, 438}, nullptr},
    {"DrawGrid1", "ConfigTabSheet", {96, 56, 621, 438}, nullptr},
    {"Console", "GroupBox1", {24, 24, 761, 209}, nullptr},
    {"InorretButton", "GroupBox2", {24, 136, 89, 25}, "Nieprawidłowe"},
    {"GroupBox3", "AdvancedTabSheet", {280, 312, 537, 201}, "Polecenia pamięci FLASH"},
    {"ConnectButton", "AdvancedTabSheet", {24, 524, 75, 25}, "Połącz"},
    {"ConsoleButton", "ConfigTabSheet", {736, 8, 75, 23}, "Konsola"},
    {"NewConfigButton", "ConfigTabSheet", {8, 8, 75, 23}, "Nowy"},
    {"LoadConfigButton", "ConfigTabSheet", {112, 520, 75, 25}, "Otwórz..."},  // the recent files' arrow beside it
};

TEST_F(WindowTest, ControlsSitWhereTheLayoutPutsThem) {
  for (const Placement& p : kPlacements) {
    SCOPED_TRACE(p.name);
    auto* widget = window().findChild<QWidget*>(QString::fromLatin1(p.name));
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->parentWidget()->objectName(), QString::fromLatin1(p.parent));
    EXPECT_EQ(widget->geometry(), p.geometry);
    if (!p.text) continue;
    if (auto* button = qobject_cast<QPushButton*>(widget)) {
      EXPECT_EQ(button->text(), QString::fromUtf8(p.text));
    } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
      EXPECT_EQ(group->title(), QString::fromUtf8(p.text));
    }
  }
}

// Larger than designed, the grid and its labels take the room, the right
// column follows the right edge and the row of buttons the bottom; back at
// the designed size every control is where the layout put it.
TEST_F(WindowTest, GrowsWithItsGridAndReturnsToTheLayout) {
  std::vector<std::pair<QWidget*, QRect>> designed;
  for (QWidget* widget : window().findChildren<QWidget*>()) designed.emplace_back(widget, widget->geometry());
  const auto rows_shown = [&](QAbstractScrollArea* grid) { return grid->viewport()->height() / 24; };
  const int rows_before = rows_shown(ui().DrawGrid1);

  window().resize(1200, 1000);
  ASSERT_EQ(window().size(), QSize(1200, 1000));
  constexpr int wider = 1200 - 850, taller = 1000 - 614;
  EXPECT_GE(rows_shown(ui().DrawGrid1), rows_before + taller / 24 - 1);
  EXPECT_EQ(rows_shown(ui().StringGrid2), rows_shown(ui().DrawGrid1));
  struct Follows {
    const char* name;
    QPoint moved;
    QSize grown;
  };
  const Follows follows[] = {
      {"Page", {0, 0}, {wider, taller}},
      {"DrawGrid1", {0, 0}, {wider, taller}},
      {"StringGrid2", {0, 0}, {0, taller}},
      {"StringGrid3", {0, 0}, {0, 0}},
      {"Label9", {wider, 0}, {0, 0}},
      {"KVRnumberEdit", {wider, 0}, {0, 0}},
      {"Label5", {wider, 0}, {0, 0}},
      {"Shape3", {wider, 0}, {0, 0}},
      {"ConsoleButton", {wider, 0}, {0, 0}},
      {"BoardButton", {wider, taller}, {0, 0}},
      {"FillButton", {wider, taller}, {0, 0}},
      {"TestButton", {wider, taller}, {0, 0}},
      {"SaveConfigButton", {0, taller}, {0, 0}},
      {"CompareButton", {0, taller}, {0, 0}},
      {"WriteConfigButton", {0, taller}, {0, 0}},
      {"Status", {0, taller}, {wider, 0}},
      {"ProgressBar", {0, taller}, {wider, 0}},
  };
  for (const Follows& f : follows) {
    SCOPED_TRACE(f.name);
    auto* widget = window().findChild<QWidget*>(QString::fromLatin1(f.name));
    ASSERT_NE(widget, nullptr);
    const auto was = std::find_if(designed.begin(), designed.end(), [&](const auto& d) { return d.first == widget; });
    ASSERT_NE(was, designed.end());
    EXPECT_EQ(widget->geometry(), QRect(was->second.topLeft() + f.moved, was->second.size() + f.grown));
  }
  // The labels stay beside their rows down to the last one.
  ui().DrawGrid1->verticalScrollBar()->setValue(ui().DrawGrid1->verticalScrollBar()->maximum());
  EXPECT_EQ(ui().StringGrid2->verticalScrollBar()->value(), ui().DrawGrid1->verticalScrollBar()->value());
  EXPECT_EQ(ui().StringGrid2->rowAt(ui().StringGrid2->viewport()->height() - 1),
            ui().DrawGrid1->rowAt(ui().DrawGrid1->viewport()->height() - 1));
  ui().DrawGrid1->verticalScrollBar()->setValue(0);

  window().resize(600, 400);  // never below the designed size
  EXPECT_EQ(window().size(), QSize(850, 614));
  for (const auto& [widget, geometry] : designed)
    EXPECT_EQ(widget->geometry(), geometry) << widget->objectName().toStdString();
}

// "Konsola" and F12 show the hidden page's console in a window of its own,
// live, with its two tools; the service page stays hidden and its console
// keeps showing the store. The window's view shows the store too, from what
// it already holds, blank lines too, and goes on after a clear.
TEST_F(WindowTest, KonsolaShowsTheConsoleLiveInAWindowOfItsOwn) {
  console_log().append_text("przed");
  console_log().append_line({});
  auto* button = window().findChild<QPushButton*>(QStringLiteral("ConsoleButton"));
  ASSERT_NE(button, nullptr);  // placed as kPlacements says
  EXPECT_EQ(window().consoleWindow(), nullptr);  // made when first asked for
  button->click();
  ConsoleWindow* console = window().consoleWindow();
  ASSERT_NE(console, nullptr);
  EXPECT_TRUE(console->isVisible());
  EXPECT_TRUE(console->isWindow());
  EXPECT_EQ(console->windowTitle(), QString::fromUtf8("Konsola – ZEL17"));
  EXPECT_EQ(console->view()->toPlainText(), QStringLiteral("przed\n"));
  console_log().append_text("potem");
  ui().Console->flush();
  console->view()->flush();
  EXPECT_EQ(console->view()->toPlainText(), QStringLiteral("przed\n\npotem"));
  EXPECT_EQ(ui().Console->toPlainText(), QStringLiteral("przed\n\npotem"));

  console->close();
  window().activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window()));
  QTest::keyClick(ui().DrawGrid1, Qt::Key_F12);
  EXPECT_EQ(window().consoleWindow(), console);
  EXPECT_TRUE(console->isVisible());
  EXPECT_FALSE(ui().Page->isTabVisible(ui().Page->indexOf(ui().AdvancedTabSheet)));

  QTemporaryDir folder;
  const QString saved = folder.filePath(QStringLiteral("log-konsoli.txt"));
  window().chooseFile = [&](const FileDialogSettings& settings, FileDialogMode, const QString&) {
    EXPECT_EQ(&settings, &SaveConsole);
    return saved;
  };
  console->findChild<QPushButton*>(QStringLiteral("ConsoleWindowSave"))->click();
  QFile file(saved);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), QByteArray("przed\r\n\r\npotem\r\n"));
  auto* clear = console->findChild<QPushButton*>(QStringLiteral("ConsoleWindowClear"));
  EXPECT_EQ(clear->text(), QString::fromUtf8("Wyczyść"));
  clear->click();
  EXPECT_EQ(console_log().size(), 0u);
  EXPECT_EQ(console->view()->toPlainText(), QString());
  EXPECT_EQ(ui().Console->toPlainText(), QString());
  console_log().append_text("po czyszczeniu");
  console->view()->flush();
  EXPECT_EQ(console->view()->toPlainText(), QStringLiteral("po czyszczeniu"));

  window().close();  // the console window goes with the main window
  EXPECT_FALSE(console->isVisible());
}

struct LabelPlacement {
  const char* name;
  const char* parent;
  QPoint position;
  const char* text;
};

const LabelPlacement kLabels[] = {
    {"Label9", "ConfigTabSheet", {728, 40}, "Dotyczy centralki:"},
    {"Label3", "ConfigTabSheet", {736, 120}, "Wolne miganie"},
    {"Label4", "ConfigTabSheet", {733, 184}, "Szybkie miganie"},
    {"Label5", "ConfigTabSheet", {730, 248}, "Ciagle swiecenie"},
    {"Label2", "GroupBox3", {176, 24}, "Strona"},
    {"Label6", "GroupBox3", {272, 24}, "Blok"},
    {"Label7", "GroupBox3", {352, 24}, "Połówka"},
    {"Label8", "GroupBox3", {56, 176}, "Nie używaj tych przycisków, chyba że naprawdę wiesz co robisz!!"},
    {"Label1", "AdvancedTabSheet", {224, 528}, "Połączenie:"},
};

TEST_F(WindowTest, LabelsSizeThemselvesToTheirText) {
  // The service page's labels when that page is first shown.
  window().show();
  ui().Page->setCurrentWidget(ui().AdvancedTabSheet);
  for (const LabelPlacement& l : kLabels) {
    SCOPED_TRACE(l.name);
    auto* label = window().findChild<QLabel*>(QString::fromLatin1(l.name));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->parentWidget()->objectName(), QString::fromLatin1(l.parent));
    EXPECT_EQ(label->text(), QString::fromUtf8(l.text));
    EXPECT_EQ(label->pos(), l.position);
    EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text()));
    EXPECT_EQ(label->size(), label->sizeHint());
  }
}

// The label and number grids paint their texts and lines as the style's own
// item painting and the table view's grid do, pixel for pixel: plain,
// selected, focused, bold on a coloured ground (a fault's mark), and a text
// too long for its cell.
TEST_F(WindowTest, GridTextsLookAsTheStylePaintsThem) {
  window().show();
  window().activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window()));
  ui().StringGrid2->setFocus();  // the current label's focus frame
  QTableWidgetItem* marked = ui().StringGrid2->item(6, 0);
  QFont bold = marked->font();
  bold.setBold(true);
  marked->setFont(bold);
  marked->setData(Qt::BackgroundRole, QColor(255, 190, 190));
  ui().StringGrid2->item(7, 0)->setText(QStringLiteral("adr 1. Alarm II – Kotłownia przy hali B"));
  for (QTableWidget* grid : {ui().StringGrid2, ui().StringGrid3}) {
    SCOPED_TRACE(grid->objectName().toStdString());
    ASSERT_NE(dynamic_cast<GridTextDelegate*>(grid->itemDelegate()), nullptr);
    grid->setCurrentCell(grid == ui().StringGrid2 ? 5 : 0, grid == ui().StringGrid2 ? 0 : 3);
    const QImage ours = grid->grab().toImage();
    QStyledItemDelegate style_painted;
    QAbstractItemDelegate* kept = grid->itemDelegate();
    grid->setItemDelegate(&style_painted);
    grid->setShowGrid(true);
    const QImage theirs = grid->grab().toImage();
    grid->setShowGrid(false);
    grid->setItemDelegate(kept);
    EXPECT_EQ(ours, theirs);
  }
}

TEST_F(WindowTest, LegendAndWarningColours) {
  EXPECT_EQ(ui().Shape1->brushColor(), QColor(255, 255, 0));
  EXPECT_EQ(ui().Shape2->brushColor(), QColor(0, 0, 255));
  EXPECT_EQ(ui().Shape3->brushColor(), QColor(255, 0, 0));
  // What the colours stand for, with the report's letters, for a screen reader.
  EXPECT_EQ(ui().Shape1->accessibleName(), QStringLiteral("W: wolne miganie"));
  EXPECT_EQ(ui().Shape2->accessibleName(), QStringLiteral("S: szybkie miganie"));
  EXPECT_EQ(ui().Shape3->accessibleName(), QStringLiteral("C: ciągłe świecenie"));
  const QImage legend = ui().Shape2->grab().toImage();
  EXPECT_EQ(legend.pixelColor(12, 12), QColor(0, 0, 255));
  EXPECT_TRUE(ui().Button2->font().bold());
  EXPECT_TRUE(ui().Label8->font().bold());
  EXPECT_TRUE(ui().StringGrid3->font().bold());
  const QImage erase = ui().Button2->grab().toImage();
  bool has_red = false;
  for (int y = 0; y < erase.height() && !has_red; ++y) {
    for (int x = 0; x < erase.width() && !has_red; ++x) {
      const QColor c = erase.pixelColor(x, y);
      has_red = c.red() > 200 && c.green() < 80 && c.blue() < 80;
    }
  }
  EXPECT_TRUE(has_red);
}

TEST_F(WindowTest, HintsAreStoredButNeverShownAsToolTips) {
  const std::pair<QWidget*, const char*> hints[] = {
      {ui().KVRnumberEdit, "Numer centralki w systemie na której adresy reaguje moduł ZEL (0 - centralka nadrzędna)"},
      {ui().SaveConfigButton, "Zapisuje konfigurację do pliku"},
      {ui().LoadConfigButton, "Wczytuje konfigurację z pliku"},
      {ui().WriteConfigButton, "Wpisuje konfigurację do urządzenia"},
  };
  for (const auto& [widget, hint] : hints) {
    EXPECT_EQ(widget->property("hint").toString(), QString::fromUtf8(hint));
  }
  for (QWidget* widget : window().findChildren<QWidget*>()) {
    EXPECT_TRUE(widget->toolTip().isEmpty()) << widget->objectName().toStdString();
  }
  const QPoint centre = ui().WriteConfigButton->rect().center();
  QHelpEvent hover(QEvent::ToolTip, centre, ui().WriteConfigButton->mapToGlobal(centre));
  QApplication::sendEvent(ui().WriteConfigButton, &hover);
  EXPECT_FALSE(QToolTip::isVisible());
}

TEST_F(WindowTest, FileDialogsCarryTheirTexts) {
  struct Expected {
    const FileDialogSettings& settings;
    QString title;
    QStringList filters;
    QString suffix;
    QString file;
  };
  const Expected expected[] = {
      {SaveDialog, QString::fromUtf8("Zapisz konfigurację modułu ZEL"),
       {"Projekt ZEL z nazwami (*.zelp)", "Konfiguracja ZEL (*.zel)", "Wszystkie pliki (*.*)"}, "zel", "konfiguracja.zel"},
      {OpenDialog, QString::fromUtf8("Zapisz konfigurację modułu ZEL"),
       {"Projekt ZEL z nazwami (*.zelp)", "Konfiguracja ZEL (*.zel)", "Wszystkie pliki (*.*)"}, "zel", "konfiguracja.zel"},
      {SaveConsole, QString(), {"Pliki tekstowe (*.txt)", "Wszystkie pliki (*.*)"}, "txt", "log-konsoli.txt"},
  };
  for (const Expected& e : expected) {
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    const QString default_title = dialog.windowTitle();
    apply_file_dialog_settings(dialog, e.settings);
    EXPECT_EQ(dialog.windowTitle(), e.title.isEmpty() ? default_title : e.title);
    EXPECT_EQ(dialog.nameFilters(), e.filters);
    EXPECT_EQ(dialog.defaultSuffix(), e.suffix);
    ASSERT_FALSE(dialog.selectedFiles().isEmpty());
    EXPECT_TRUE(dialog.selectedFiles().first().endsWith("/" + e.file)) << dialog.selectedFiles().first().toStdString();
    EXPECT_LE(dialog.history().size(), 1);  // a first session: the dialog's own folder only
  }
  // The history offers the folders last used for the dialog's kind of file, newest first.
  const QTemporaryDir first, second;
  UserSettings::instance().rememberFolderOf(FileKind::configuration, first.filePath(QStringLiteral("a.zel")));
  UserSettings::instance().rememberFolderOf(FileKind::configuration, second.filePath(QStringLiteral("b.zel")));
  UserSettings::instance().rememberFolderOf(FileKind::console_log, first.filePath(QStringLiteral("log.txt")));
  QFileDialog dialog;
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  apply_file_dialog_settings(dialog, OpenDialog);
  // (The dialog adds the folder it shows at the end.)
  EXPECT_EQ(dialog.history().mid(0, 2), QStringList({second.path(), first.path()}));
}

TEST_F(WindowTest, QtSpeaksPolishWithSubstitutedFonts) {
  EXPECT_EQ(QLocale().language(), QLocale::Polish);
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QString::fromUtf8("Anuluj"));
  // TrueType kin of "MS Sans Serif" and "Courier New": Linux's, or Windows' own.
  const QString window_family = QFontInfo(window().font()).family();
  EXPECT_TRUE(QStringList({"Liberation Sans", "DejaVu Sans", "Microsoft Sans Serif", "Tahoma"}).contains(window_family))
      << window_family.toStdString();
  EXPECT_TRUE(QFontDatabase::isSmoothlyScalable(window_family));
  EXPECT_EQ(window().font().pixelSize(), 11);
  ui().Page->setCurrentWidget(ui().AdvancedTabSheet);  // the console's font comes with its page
  const QFontInfo console(ui().Console->font());
  EXPECT_TRUE(console.fixedPitch());
  EXPECT_TRUE(QStringList({"Liberation Mono", "DejaVu Sans Mono", "Courier New"}).contains(console.family()))
      << console.family().toStdString();
}

// The font must be narrow enough for the layout: the labels of the
// addresses 0 to 9 show whole in the label column (longer labels may end at
// its edge, as the layout intends), and every button's text fits the button.
TEST_F(WindowTest, TextsFitTheirControls) {
  QTableWidget* labels = ui().StringGrid2;
  // An item view's style keeps its text this far from the cell's edges.
  const int text_margin = labels->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, labels) + 1;
  const int label_room = labels->viewport()->width() - 2 * text_margin;
  for (int row = 5; row < 5 + 3 * 10; ++row) {
    const QString text = labels->item(row, 0)->text();
    EXPECT_LE(labels->fontMetrics().horizontalAdvance(text), label_room) << text.toStdString();
  }
  for (const QPushButton* button : window().findChildren<QPushButton*>()) {
    QStyleOptionButton option;
    option.initFrom(button);
    const int room = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button).width();
    EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text()), room) << button->text().toStdString();
  }
}

TEST_F(WindowTest, StatusAndProgressShowWhatTheyAreGiven) {
  window().setStatusText(QString::fromUtf8("Konfiguracja zapisana!"));
  EXPECT_EQ(window().statusText(), QString::fromUtf8("Konfiguracja zapisana!"));
  window().setProgressVisible(true);
  EXPECT_TRUE(ui().ProgressBar->isVisible());
  window().setProgress(42);
  EXPECT_EQ(ui().ProgressBar->value(), 42);
  window().setProgressVisible(false);
  EXPECT_FALSE(ui().ProgressBar->isVisible());
}

TEST_F(WindowTest, TestMenuOffersTestujOverBothLiveGrids) {
  QMenu* menu = window().TestMenu();
  ASSERT_NE(menu, nullptr);
  ASSERT_EQ(menu->actions().size(), 1);
  EXPECT_EQ(menu->actions().first()->objectName(), QString::fromLatin1("Testuj1"));
  EXPECT_EQ(menu->actions().first()->text(), QString::fromUtf8("Testuj"));
  for (QAbstractScrollArea* grid : {static_cast<QAbstractScrollArea*>(ui().DrawGrid1),
                                    static_cast<QAbstractScrollArea*>(ui().StringGrid2)}) {
    const QPoint at(10, 10);
    QContextMenuEvent request(QContextMenuEvent::Mouse, at, grid->viewport()->mapToGlobal(at));
    QApplication::sendEvent(grid->viewport(), &request);
    EXPECT_TRUE(menu->isVisible()) << grid->objectName().toStdString();
    menu->hide();
  }
}

TEST_F(WindowTest, ClearButtonEmptiesTheConsole) {
  console_log().append_text("jedna linia");
  console_log().append_banner("Komunikat");
  ui().Console->flush();
  EXPECT_FALSE(ui().Console->toPlainText().isEmpty());
  ui().ClearConsoleButton->click();
  EXPECT_EQ(console_log().size(), 0u);
  EXPECT_TRUE(ui().Console->toPlainText().isEmpty());
}

}  // namespace
