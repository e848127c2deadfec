// SPDX-License-Identifier: MIT
// The arrow beside "Otwórz...": the configuration files last opened or
// saved, newest first, read when the list opens so that a file deleted
// meanwhile is left out. Choosing one opens it as "Otwórz..." does.

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QToolButton>

#include "app/main.h"
#include "gui/user_settings.h"
#include "ui_main_window.h"

void TForm_main::setupRecentFiles() {
  auto* menu = new QMenu(ui_->RecentFilesButton);
  menu->setObjectName(QStringLiteral("RecentFilesMenu"));
  ui_->RecentFilesButton->setMenu(menu);
  connect(menu, &QMenu::aboutToShow, this, &TForm_main::fillRecentFilesMenu);
}

void TForm_main::fillRecentFilesMenu() {
  QMenu* menu = ui_->RecentFilesButton->menu();
  menu->clear();
  const QStringList files = UserSettings::instance().recentFiles();
  if (files.isEmpty()) {
    menu->addAction(QString::fromUtf8("(brak ostatnich plików)"))->setEnabled(false);
    return;
  }
  for (const QString& file : files) {
    QString text = QDir::toNativeSeparators(file);
    text.replace(u'&', QStringLiteral("&&"));  // a name's '&' is no shortcut
    QAction* action = menu->addAction(text);
    action->setData(file);
    connect(action, &QAction::triggered, this, [this, file] { openConfigFile(file); });
  }
}
