// SPDX-License-Identifier: MIT
#pragma once
// A window test whose file dialogs and warnings are answered (AnsweredPrompts),
// with a scratch folder for the files it writes and reads.

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
  QTemporaryDir folder;
};
