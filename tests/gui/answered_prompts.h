// SPDX-License-Identifier: MIT
#pragma once
// Stands in for the user at the window's file dialogs, questions and warning
// boxes: every file dialog is answered with `answer` (empty: cancelled) and
// noted in `asked`; every question "Tak"/"Nie" is answered `yes` and noted in
// `questions`; every warning is noted in `warnings`.

#include <QString>
#include <QStringList>
#include <vector>

#include "app/file_dialogs.h"
#include "app/main.h"

struct AnsweredPrompts {
  struct Asked {
    const FileDialogSettings* settings;
    FileDialogMode mode;
    QString start_file;
  };

  void answerPromptsOf(TForm_main& window) {
    window.chooseFile = [this](const FileDialogSettings& settings, FileDialogMode mode, const QString& start) {
      asked.push_back({&settings, mode, start});
      return answer;
    };
    window.showWarning = [this](const QString& text) { warnings.push_back(text); };
    window.askYesNo = [this](const QString& question) {
      questions.push_back(question);
      return yes;
    };
  }

  QString answer;
  std::vector<Asked> asked;
  QStringList questions;
  bool yes = true;
  QStringList warnings;
};
