// SPDX-License-Identifier: MIT
#pragma once
// "Nazwy": the site's four fields ("Obiekt"), the 25 lamps' names ("Lampy")
// and the 100 addresses' names ("Adresy"), on three tabs. A column of names
// pasted into a list (Ctrl+V) fills the following rows from the current one.
// Every name is cleaned as config/name_text.h says. OK (also Return) takes
// them; Anuluj (also Escape) drops them.

#include <QDialog>
#include <array>
#include <functional>
#include <optional>

#include "config/project_names.h"

class QLineEdit;
class QTableWidget;
class QTabWidget;

class NamesDialog : public QDialog {
  Q_OBJECT

 public:
  explicit NamesDialog(const ProjectNames& names, QWidget* parent = nullptr);

  ProjectNames names() const;
  QTabWidget* tabs() const { return tabs_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QTableWidget* nameList(const QString& object_name, const QString& number_title, int rows, int first_number);
  // Lines of the clipboard into the name column from the current row down.
  void pasteColumn(QTableWidget* list);

  QTabWidget* tabs_;
  std::array<QLineEdit*, 4> site_{};
  QTableWidget* lamps_;
  QTableWidget* addresses_;
};

// Runs the dialog; no names when it is cancelled.
using NamesPrompt = std::function<std::optional<ProjectNames>(const ProjectNames& names)>;
std::optional<ProjectNames> ask_names(QWidget* parent, const ProjectNames& names);
