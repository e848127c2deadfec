// SPDX-License-Identifier: MIT
// The yardstick for the program's start-up: a bare Qt window of the same
// client size (850 x 614), with nothing in it. With --label it holds one
// text label, so that Qt starts its font system as any window with text
// must.

#include <QApplication>
#include <QLabel>
#include <QWidget>
#include <cstring>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QWidget window;
  window.setFixedSize(850, 614);
  if (argc > 1 && std::strcmp(argv[1], "--label") == 0) new QLabel(QStringLiteral("Konfiguracja ZEL"), &window);
  window.show();
  return QApplication::exec();
}
