// SPDX-License-Identifier: MIT
#pragma once
// One undo step that puts a value in place of what a variable holds, and
// back: the names of a project, the label insert's geometry. The window is
// told after each change so that every text that shows the value follows.

#include <QUndoCommand>
#include <functional>
#include <utility>

template <typename T>
class SwapCommand : public QUndoCommand {
 public:
  SwapCommand(T& target, T value, const QString& text, std::function<void()> changed)
      : QUndoCommand(text), target_(target), other_(std::move(value)), changed_(std::move(changed)) {}

  void redo() override { swap(); }
  void undo() override { swap(); }

 private:
  void swap() {
    std::swap(target_, other_);
    if (changed_) changed_();
  }

  T& target_;
  T other_;
  std::function<void()> changed_;
};
