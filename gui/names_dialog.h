// SPDX-License-Identifier: MIT
#pragma once
// "Nazwy": the site's four fields ("Obiekt"), the 25 lamps' names ("Lampy")
// and the 100 addresses' names ("Adresy"), on three tabs. A column of names
// pasted into a list (Ctrl+V) fills the following rows from the current one;
// Delete or Backspace clears the selected names. Every name is cleaned as
// config/name_text.h says and never cut: typing stops at the longest a name
// may be, and a longer one pasted is shown as refused (gui/name_edit.h). OK
// (also Return) takes the names, or, while any is too long, names those
// and stays; Anuluj (also Escape) drops them.

#include <QDialog>
#include <array>
#include <functional>
#include <optional>

#include "config/project_names.h"

class QLabel;
class QLineEdit;
class QTableWidget;
class QTableWidgetItem;
class QTabWidget;

class NamesDialog : public QDialog {
  Q_OBJECT

 public:
  explicit NamesDialog(const ProjectNames& names, QWidget* parent = nullptr);

  ProjectNames names() const;
  QTabWidget* tabs() const { return tabs_; }

  void accept() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QTableWidget* nameList(const QString& object_name, const QString& number_title, int rows, int first_number);
  // Lines of the clipboard into the name column from the current row down.
  void pasteColumn(QTableWidget* list);
  void clearSelectedNames(QTableWidget* list);
  // A name in a list shown as refused while it is too long.
  void showFit(QTableWidgetItem* item);
  // The names too long to take ("Lampa 7 – 64 znaki"), the first of them brought into view.
  QStringList refusedNames();

  QTabWidget* tabs_;
  std::array<QLineEdit*, 4> site_{};
  QTableWidget* lamps_;
  QTableWidget* addresses_;
  QLabel* refused_;
  bool marking_ = false;
};

// Runs the dialog; no names when it is cancelled.
using NamesPrompt = std::function<std::optional<ProjectNames>(const ProjectNames& names)>;
std::optional<ProjectNames> ask_names(QWidget* parent, const ProjectNames& names);
