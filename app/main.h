// SPDX-License-Identifier: MIT
#pragma once
// The main window: the configuration page with the grid editor and the
// hidden service page with the console. Controls are built from
// main_window.ui and keep their layout names; reach them through ui():
//   Form_main->ui()->DrawGrid1, ->Console, ->Status, ->KVRnumberEdit, ...
// Handlers are public and may be called directly as ordinary operations.

#include <QElapsedTimer>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/long_operation_link.h"
#include "app/user_prompts.h"
#include "config/cell_block.h"
#include "config/name_text.h"
#include "config/project_file.h"
#include "config/project_names.h"
#include "gui/address_fill_dialog.h"
#include "gui/names_dialog.h"
#include "gui/report_rows_dialog.h"
#include "gui/grid_marks.h"
#include "gui/walk_record_chooser.h"

namespace Ui {
class TForm_main;
}
class ConfigMatrixModel;
class ConfigMatrix;
class Device_session;
struct ConfigReportInfo;
class EditHistory;
struct CellDifference;
struct CellValue;
class QLabel;
class QPushButton;
class QMenu;
class QPainter;
class QTableView;
class USB_protocol;
class AnchoredLayout;
class BoardWindow;
class ConsoleWindow;
class WalkController;
class WalkRecordKeeper;
class BusMonitorTab;
class FieldTestController;
class FieldTestTab;
class WalkTab;
struct OperationView;

// A cell of DrawGrid1. A press outside every cell leaves it without one.
struct GridCell {
  int column = 0;
  int row = 0;
  bool valid() const { return column >= 0 && row >= 0; }
  static GridCell none() { return {-1, -1}; }
  friend bool operator==(const GridCell&, const GridCell&) = default;
};

class TForm_main : public QWidget {
  Q_OBJECT

 public:
  explicit TForm_main(QWidget* parent = nullptr);
  ~TForm_main() override;

  // Every control of the stored layout, by name.
  Ui::TForm_main* ui() const { return ui_.get(); }
  QMenu* TestMenu() const { return TestMenu_; }

  // Status bar and progress bar. Device operations block the event loop,
  // so these repaint at once instead of waiting for it.
  void setStatusText(const QString& text);
  QString statusText() const;
  // Why a module operation failed, in zel17-cli's words, on the right of
  // the status bar beside the status it ended with; gone with the next status.
  void showFailureCause(const std::string& utf8);
  QString failureCause() const;
  void setProgressVisible(bool visible);
  void setProgress(int position);

  // How the window asks the user; the real dialogs unless replaced.
  FileChooser chooseFile = [this](const FileDialogSettings& settings, FileDialogMode mode,
                                  const QString& start_file) {
    return run_file_dialog(this, settings, mode, start_file);
  };
  WarningBox showWarning = [this](const QString& text) { show_warning_box(this, text); };
  SaveChangesPrompt askSaveChanges = [this](const QString& question) { return ask_save_changes(this, question); };
  PrinterSetup setUpPrinter = [this](QPrinter& printer) { return run_print_dialog(this, printer); };
  AddressFillPrompt askAddressFill = [this] { return ask_address_fill(this); };
  NamesPrompt askNames = [this](const ProjectNames& names) { return ask_names(this, names); };
  YesNoPrompt askYesNo = [this](const QString& question) { return ask_yes_no(this, question); };
  ReportRowsPrompt askReportRows = [this](const QString& title) {
    return ask_report_rows(this, title, config_matrix());
  };
  RecordPrompt askWalkRecord = [this](const std::vector<RecordChoice>& choices) {
    return ask_walk_record(this, choices);
  };
  SaveBeforeWalkPrompt askSaveBeforeWalk = [this](const QString& question) {
    return ask_save_before_walk(this, question);
  };
  // The names of the project the grid belongs to (site, lamps, addresses).
  std::function<ProjectNames()> projectNames = [] { return project_names(); };

  // Grid editor, for the file, upload and output-test features.
  void repaintMatrix();              // after config_matrix() was replaced: one undo step
  int selectedMatrixRow() const;     // selected row of DrawGrid1
  int selectedLabelRow() const;      // selected row of StringGrid2
  void selectMatrixRow(int row);     // DrawGrid1 only, scrolls it into view
  void selectLabelRow(int row);      // StringGrid2 only, scrolls it into view
  GridCell pressedCell() const { return PressedCell; }
  EditHistory& editHistory() const { return *history_; }
  bool isDifferenceMarked(int row, int column) const { return differenceMarks_.marked(row, column); }
  // The selected block: from its anchor to the current cell; one cell when no block is spanned.
  const CellBlock& selectedBlock() const { return block_; }

  // Grid editor handlers.
  void FormCreate();
  void DrawGrid1DrawCell(QPainter& painter, int column, int row, const QRect& rect);
  void DrawGrid1MouseDown(Qt::MouseButton button, int x, int y);
  void DrawGrid1MouseUp(Qt::MouseButton button, int x, int y);
  void StringGrid2MouseDown(Qt::MouseButton button, int x, int y);
  void DrawGrid1TopLeftChanged();
  void StringGrid2TopLeftChanged();

  // Service page.
  void ClearConsoleButtonClick();
  void Button6Click();
  void ConnectButtonClick();
  void DisconnectButtonClick();
  void HelloButtonClick();
  void PingPongButtonClick();
  void DebugButtonClick();
  void InorretButtonClick();
  void RS485FramePleaseButtonClick();
  void Button5Click();
  void Button2Click();
  void Button1Click();
  void Button3Click();
  void Button4Click();

  // Configuration page.
  // "Nowy" (Ctrl+N): an empty table and no names, as one undo step, after
  // asking about unsaved changes.
  void NewConfigButtonClick();
  // False when nothing was saved (cancelled, refused or failed).
  bool SaveConfigButtonClick();
  void LoadConfigButtonClick();
  void WriteConfigButtonClick();
  void ReadConfigButtonClick();
  void VerifyConfigButtonClick();
  void TestButtonClick();
  void Testuj1Click();
  void TestEventRow(int row);

  // Editing beside the mouse: undo, redo, rows through the clipboard, and
  // marking the cells in which a file differs from the grid.
  void UndoClick();
  void RedoClick();
  void CopyRowClick();
  void PasteRowsClick();
  void CompareButtonClick();
  // Lamps assigned to a range of addresses by rule, asked through askAddressFill.
  void FillButtonClick();
  // The site's, the lamps' and the addresses' names, asked through askNames: one undo step.
  void NamesButtonClick();
  void LabelsButtonClick();
  // The table with the names and the label geometry, as a project file holds them.
  Project currentProject() const;

  // Handing the table over: a PDF report or CSV table, and printing.
  void ExportButtonClick();
  void PrintButtonClick();
  // Loads a configuration file (.zel or .csv) as "Otwórz..." does: from the
  // command line, a drop, or the open dialog. The path keeps a name that is
  // not valid UTF-8, as the command line may bring one.
  void openConfigFile(const QString& name);
  void openConfigPath(const std::filesystem::path& path);
  // The recent files beside "Otwórz...", as the list shows them now.
  void fillRecentFilesMenu();

  // "Konsola" (F12): the console of the service page in a window of its own.
  void ConsoleButtonClick();
  ConsoleWindow* consoleWindow() const { return consoleWindow_; }

  // The board window: the lamps of the selected row and the walk test.
  void BoardButtonClick();
  BoardWindow* boardWindow() const { return board_; }
  WalkController* walk() const { return walk_; }
  WalkRecordKeeper* walkRecord() const { return walkRecord_; }
  // "Protokół...": a record saved as a PDF or a CSV table, or a walk and a
  // field test together as the handover document.
  void WalkProtocolClick();
  // "Powtórz błędne": a walk over only the events rated "Błąd".
  void RepeatFaultsClick();
  BusMonitorTab* busMonitor() const { return monitorTab_; }
  // "Próba z obiektu": the field test, which watches the bus.
  FieldTestController* fieldTest() const { return fieldTest_; }
  // A walk, the bus monitor or the field test holds the connection.
  bool longOperationRunning() const;
  // A walk or a field test runs: its record is bound to the table and the
  // names it checks, so nothing may change them (open, read, drop, paste,
  // edits, undo, names).
  bool editingLocked() const;
  // The connection of a long operation (walk, bus monitor): a session as
  // the configuration page's operations open, the failure reported.
  LongOperationLink longOperationLink();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void setupWindow();
  // Resizable from its designed size up, the controls following the edges.
  void setupResizing();
  void setupConsoleWindow();
  void setupNewConfiguration();
  void setupGrids();
  void connectHandlers();
  void updateTestButton(int row);
  void selectHeaderColumn(int column);
  GridCell matrixCellAt(int x, int y) const;
  bool matrixPointerEvent(QEvent* event);
  bool labelPointerEvent(QEvent* event);
  void openTestMenu(QTableView* grid, const QPoint& viewportPos);
  bool gridKeyEvent(QEvent* event, bool fromButton = false);
  // A button of the configuration page: a click leaves the focus where it
  // was, and the grid's keys other than those that press a button go to the grid.
  void setupPageButtonKeys();
  bool pageButtonKeyEvent(QEvent* event);
  void moveCurrentCell(int row, int column);
  // Makes the block's current cell the current cell of the grids, and the block the selected one.
  void selectBlock(const CellBlock& block);
  void setupBlockEditing();
  void setupEditing();
  void setupRecentFiles();
  void setCells(const std::vector<CellValue>& cells, const QString& step, std::optional<CellBlock> block = {});
  // Marks these cells until the grid changes or the marks are replaced.
  void showDifferences(const std::vector<CellDifference>& cells);
  void clearDifferences();
  // The caption names the grid's file and marks unsaved changes.
  void updateCaption();
  void setConfigFileName(const QString& name);
  // Any change of the grid: what described the grid before it goes.
  void gridChanged();
  // A status that describes an edit; the next change of the grid clears it.
  void setEditStatusText(const QString& text);
  // Saves the project to `name` as "Zapisz..." does; true when saved.
  bool saveConfigTo(const QString& name);
  // Reads a configuration file into `into`, or warns and leaves it unchanged.
  bool readConfigFile(const std::filesystem::path& path, Project& into);
  // Every text that shows a name follows the names.
  void setupNames();
  void showNames();
  // A project's names, geometry and kept keys in place, as one undo step with the table's replacement.
  void takeProjectParts(const Project& project);
  // Before a table file (.zel, .csv) replaces the grid: whether the names in
  // the window stay with it. Asked only while there are names.
  bool keepNamesForTable();
  // Before a save of the table alone to `name`: whether to save, though what
  // the project holds beside the table will not be kept. Asked only when it holds something.
  bool saveTableAlone(const QString& name, const std::vector<std::string>& left_out);
  // After an export to `path`: the names, when there are any and it is no project, were not saved.
  // `lead` is the status the message follows.
  void reportNamesLeftOut(const std::filesystem::path& path, const QString& lead = {});
  // What the report says of the grid's file, and now.
  ConfigReportInfo reportInfo(ReportRows rows) const;

  // Connection state shown by the lamp and the two connection buttons.
  void showConnectionState();
  // The open protocol, or null after logging the not-connected notice.
  USB_protocol* connectedProtocol();
  // The notice and the status text of an operation that could not connect.
  void reportNotConnected(const Device_session& session);
  // A connection for one device operation of the configuration page; the
  // lamp and the connection buttons show it while it lasts.
  std::unique_ptr<Device_session> openDeviceSession();
  // Connects, shows the progress bar with this maximum, runs the operation
  // when connected, hides the progress bar and disconnects.
  using DeviceOperation = std::function<void(USB_protocol& protocol, const OperationView& view)>;
  void runDeviceOperation(int progress_max, const DeviceOperation& operation);
  // The board window and its walk, made on first use.
  void createBoard();
  // Its field test tab, wired like the walk's.
  void createFieldTest();
  void startFieldTest();
  // The field test's record in its tab.
  void showFieldRecord();
  // Starts a walk from the tab's range, or over the last record's faults ("Powtórz błędne").
  void startWalk(bool repeat_faults = false);
  // A walk's record names a saved file: unsaved changes, or a grid without
  // a file, are saved first when the user agrees. False: no walk.
  bool saveBeforeWalk();
  // The record in the walk tab, the row labels of events rated "Błąd"
  // marked, and "Powtórz błędne" offered.
  void showWalkRecord();
  // True, with the reason in the status bar, when editingLocked() refuses an edit.
  bool refuseEditWhileWalking();
  // Off while a walk runs: every control that changes the table or the names.
  void setEditingEnabled(bool enabled);
  // A walked row selected in both grids.
  void showWalkedRow(int row);
  // "Protokół odbioru...": `chosen` with `other` (null: there is none, which is said).
  void saveHandoverProtocol(const WalkRecord& chosen, const StoredRecord* other);
  // Off while a long operation holds the connection: every other command to the module.
  void setDeviceOperationsEnabled(bool enabled);
  // Asks through chooseFile, starting with the name last chosen in that dialog;
  // `as_project`: a table's name given a project's extension.
  QString askFileName(const FileDialogSettings& dialog, FileDialogMode mode, bool as_project = false);

  std::unique_ptr<Ui::TForm_main> ui_;
  QMenu* TestMenu_ = nullptr;
  QLabel* failureCause_ = nullptr;
  QPushButton* newButton_ = nullptr;  // "Nowy"
  ConfigMatrixModel* matrixModel_ = nullptr;
  EditHistory* history_ = nullptr;
  DifferenceMarks differenceMarks_;
  QString editStatus_;  // the status an edit set, while it may still be shown
  QString caption_;  // the window's caption without the modified mark
  QString configFileName_;  // the file the grid was last saved to or loaded from
  GridCell PressedCell;  // where a mouse button last went down on DrawGrid1
  CellBlock block_;
  bool blockPress_ = false;  // the left button went down with Shift: its release edits nothing
  bool centred_ = false;
  QElapsedTimer progressPainted_;  // since the progress bar was last repainted
  std::map<const FileDialogSettings*, QString> lastFileNames_;  // by dialog
  BoardWindow* board_ = nullptr;
  ConsoleWindow* consoleWindow_ = nullptr;
  AnchoredLayout* layout_ = nullptr;
  WalkTab* walkTab_ = nullptr;
  WalkController* walk_ = nullptr;
  WalkRecordKeeper* walkRecord_ = nullptr;
  BusMonitorTab* monitorTab_ = nullptr;
  FieldTestTab* fieldTab_ = nullptr;
  FieldTestController* fieldTest_ = nullptr;
  LabelGeometry labels_;      // the label insert's, kept in the project
  std::string unknownKeys_;  // the project file's keys this version does not know
};

// The one main window; null while none exists.
extern TForm_main* Form_main;
