// SPDX-License-Identifier: MIT
// Preloaded into a Qt program (LD_PRELOAD) to time its start: when its first
// top-level window has been painted, writes the CLOCK_MONOTONIC time in
// nanoseconds and the peak resident size so far (VmHWM, KiB) to the file
// named by $ZEL_PROBE_OUT, as "<ns> <kib>", and ends the program at once.
// The program itself is not changed: the probe hooks in when the
// application object is built.

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

long peak_resident_kib() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
  }
  return -1;
}

void report_and_exit() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  const long long ns = static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
  const char* path = std::getenv("ZEL_PROBE_OUT");
  if (path != nullptr) {
    if (FILE* out = std::fopen(path, "w")) {
      std::fprintf(out, "%lld %ld\n", ns, peak_resident_kib());
      std::fclose(out);
    }
  }
  _exit(0);  // the measurement is over; tearing down would only add noise
}

class FirstPaint : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!seen_ && event->type() == QEvent::Paint && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->isWindow()) {
      seen_ = true;
      // The window and all its children are painted and flushed within the
      // event now being handled; the zero timer fires after it.
      QTimer::singleShot(0, report_and_exit);
    }
    return false;
  }

 private:
  bool seen_ = false;
};

void install() {
  if (std::getenv("ZEL_PROBE_OUT") == nullptr) return;
  QCoreApplication::instance()->installEventFilter(new FirstPaint);
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(install)
