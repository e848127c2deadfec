// SPDX-License-Identifier: MIT
// A bare Qt dialog, nothing of the project's: shown, then accepted as OK or
// Return would, and the time QDialog::accept() takes is printed. Under wine
// on an X display without a window manager it takes about 2 s.
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>
#include <cstdio>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QWidget window;
  window.resize(300, 200);
  window.show();
  QDialog dialog(&window);
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(new QSpinBox);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  layout->addWidget(buttons);
  QTimer::singleShot(500, &dialog, [&] {
    dialog.open();
    QTimer::singleShot(500, &dialog, [&] {
      QElapsedTimer clock;
      clock.start();
      dialog.accept();
      std::printf("closing the dialog took %lld ms\n", static_cast<long long>(clock.elapsed()));
      std::fflush(stdout);
      app.quit();
    });
  });
  return app.exec();
}
