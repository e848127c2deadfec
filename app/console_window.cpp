// SPDX-License-Identifier: MIT
#include "app/console_window.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/console_view.h"

ConsoleWindow::ConsoleWindow(ConsoleLog& log, QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("ConsoleWindow"));
  setWindowTitle(QString::fromUtf8("Konsola – ZEL17"));
  resize(780, 420);

  view_ = new ConsoleView(this);
  view_->setObjectName(QStringLiteral("ConsoleWindowView"));
  view_->attach(log);

  auto* save = new QPushButton(QString::fromUtf8("Zapisz..."), this);
  save->setObjectName(QStringLiteral("ConsoleWindowSave"));
  auto* clear = new QPushButton(QString::fromUtf8("Wyczyść"), this);
  clear->setObjectName(QStringLiteral("ConsoleWindowClear"));
  connect(save, &QPushButton::clicked, this, &ConsoleWindow::saveRequested);
  connect(clear, &QPushButton::clicked, this, &ConsoleWindow::clearRequested);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(clear);
  buttons->addWidget(save);
  buttons->addStretch(1);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(view_, 1);
  layout->addLayout(buttons);
}
