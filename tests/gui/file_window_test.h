// SPDX-License-Identifier: MIT
#pragma once
// A window test whose file dialogs and warnings are answered (AnsweredPrompts),
// with a scratch folder for the files it writes and reads, and "Zapisz..." and
// "Otwórz..." clicked with a file name given.

#include <QString>
#include <QTemporaryDir>

#include "answered_prompts.h"
#include "window_fixture.h"

class FileWindowTest : public WindowTest, public AnsweredPrompts {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    ASSERT_TRUE(folder.isValid());
    answerPromptsOf(window());
  }

  QString path(const char* name) { return folder.filePath(QString::fromUtf8(name)); }
  void save(const QString& name) {
    answer = name;
    ui().SaveConfigButton->click();
  }
  void load(const QString& name) {
    answer = name;
    ui().LoadConfigButton->click();
  }
  QTemporaryDir folder;
};
