// SPDX-License-Identifier: MIT
// The real window uploading a configuration to the emulated module, timed
// around WriteConfigButtonClick, as a user's click runs it: connect and
// greeting, 166 commands with their console lines, status and progress
// repaints, disconnect, and the turn of the event loop after it in which the
// console shows the new lines. Prints three kinds of table rows:
//   - no module delay: whole time per exchange, and the part outside the
//     transport (HID exchanges and device search subtracted);
//   - the module answering 2 ms after each request (1 ms per transfer each
//     way): whole time over the floor of 2 ms x exchanges;
//   - 100 uploads in a row without clearing the console: last over first.
// Must run under LD_PRELOAD=libumockdev-preload.so.0 (scripts/bench.sh).
//   bench_upload [--runs N] [--delayed-runs N] [--console-uploads N] [--console-repeats N]
//                [--progress-bar plain|off]
// --progress-bar is for finding where the time goes, not for the table: it
// draws the window's progress bar in Qt's plain "Windows" style instead of
// Fusion, or stops it from painting at all.

// The emulator's header before Qt's (umockdev and Qt both use `signals`).
#include "emulator/test_bed.h"

#include <sys/prctl.h>

#include <QApplication>
#include <QProgressBar>
#include <QStyleFactory>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/application_setup.h"
#include "app/main.h"
#include "bench_stats.h"
#include "config/flash_image.h"
#include "protocol/console_log.h"
#include "transport_timer.h"
#include "ui_main_window.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kExchanges = 1 + kUploadCommandCount;  // the greeting and the commands

struct Options {
  int runs = 21;
  int delayed_runs = 7;
  int console_uploads = 100;
  int console_repeats = 5;
  std::string progress_bar = "as-is";
};

Options parse(int argc, char** argv) {
  Options options;
  for (int i = 1; i + 1 < argc; i += 2) {
    const int value = std::atoi(argv[i + 1]);
    if (std::strcmp(argv[i], "--runs") == 0) options.runs = value;
    if (std::strcmp(argv[i], "--delayed-runs") == 0) options.delayed_runs = value;
    if (std::strcmp(argv[i], "--console-uploads") == 0) options.console_uploads = value;
    if (std::strcmp(argv[i], "--console-repeats") == 0) options.console_repeats = value;
    if (std::strcmp(argv[i], "--progress-bar") == 0) options.progress_bar = argv[i + 1];
  }
  return options;
}

struct UploadTime {
  double total_us;
  double exchange_us;  // inside HID_device::send_receive
  double connect_us;   // inside USB_protocol::Connect
};

double micros(std::chrono::nanoseconds time) { return std::chrono::duration<double, std::micro>(time).count(); }

class Bench {
 public:
  explicit Bench(TForm_main& window) : window_(window) {}

  // One click on "Konfiguruj!". Every run ends with all answers read, so one
  // module serves them all (building a test bed costs more than an upload).
  UploadTime upload(std::chrono::microseconds module_delay) {
    ZelModule::Faults faults;
    faults.delay = module_delay;
    bed_.module().set_faults(faults);
    bed_.module().clear_requests();
    transport_time() = {};

    const auto start = Clock::now();
    window_.WriteConfigButtonClick();
    // The console shows the run's lines on the next turn of the event loop,
    // before the window takes the user's next click: that is part of it.
    QCoreApplication::processEvents();
    const auto total = Clock::now() - start;

    const int requests = static_cast<int>(bed_.module().requests().size());
    if (window_.statusText() != QString::fromUtf8(kUploadStatusDone) || requests != kExchanges ||
        transport_time().exchanges != kExchanges) {
      std::fprintf(stderr, "bench_upload: the upload did not go through (status \"%s\", %d requests)\n",
                   window_.statusText().toUtf8().constData(), requests);
      std::exit(1);
    }
    return {micros(total), micros(transport_time().exchange), micros(transport_time().connect)};
  }

 private:
  TForm_main& window_;
  TestBed bed_;
};

void without_delay(Bench& bench, int runs) {
  std::vector<double> whole, own, exchange, connect;
  bench.upload({});  // warm-up: first paint of the progress bar, caches
  for (int i = 0; i < runs; ++i) {
    console_log().clear();
    const UploadTime time = bench.upload({});
    whole.push_back(time.total_us / kExchanges);
    own.push_back((time.total_us - time.exchange_us - time.connect_us) / kExchanges);
    exchange.push_back(time.exchange_us / kExchanges);
    connect.push_back(time.connect_us / kExchanges);
  }
  print_row("Upload, no module delay: whole time per exchange (incl. the emulated transport)", median(whole),
            "%.1f µs", runs, Goal::below, 50, "< 50 µs");
  print_row("… of which the tool's own code (outside the HID exchanges and the device search)", median(own),
            "%.1f µs", runs, Goal::below, 50, "< 50 µs");
  print_row("… of which the HID exchange (write, emulated module, read)", median(exchange), "%.1f µs", runs,
            Goal::none, 0, "");
  print_row("… of which the device search and opening (once per upload, spread over its exchanges)",
            median(connect), "%.1f µs", runs, Goal::none, 0, "");
}

void with_delay(Bench& bench, int runs) {
  constexpr auto kDelay = std::chrono::microseconds(2000);  // 1 ms per transfer, two transfers
  const double floor_us = 2000.0 * kExchanges;
  std::vector<double> ratios;
  for (int i = 0; i < runs; ++i) {
    console_log().clear();
    ratios.push_back(bench.upload(kDelay).total_us / floor_us);
  }
  print_row("Upload, module answering after 2 ms (1 ms per transfer): time / (167 × 2 ms)", median(ratios),
            "%.3f", runs, Goal::at_most, 1.05, "≤ 1.05");
}

// A single upload varies by some per cent from one to the next, so the
// first and the last are each the median of a few neighbouring uploads.
void console_growth(Bench& bench, int uploads, int repeats) {
  constexpr int kEnds = 5;
  std::vector<double> ratios;
  for (int r = 0; r < repeats; ++r) {
    console_log().clear();
    QCoreApplication::processEvents();
    std::vector<double> times;
    for (int i = 0; i < uploads; ++i) times.push_back(bench.upload({}).total_us);
    const int ends = std::min(kEnds, uploads);
    const double first = median({times.begin(), times.begin() + ends});
    const double last = median({times.end() - ends, times.end()});
    ratios.push_back(last / first);
  }
  print_row("Console after " + std::to_string(uploads) +
                " uploads: time of the last upload / the first (each the median of 5 neighbours)",
            median(ratios), "%.2f", repeats, Goal::at_most, 1.1, "≤ 1.1");
}

}  // namespace

int main(int argc, char** argv) {
  const char* preload = std::getenv("LD_PRELOAD");
  if (preload == nullptr || std::strstr(preload, "umockdev") == nullptr) {
    std::fprintf(stderr, "bench_upload: run it under LD_PRELOAD=libumockdev-preload.so.0\n");
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  const Options options = parse(argc, argv);

  QApplication app(argc, argv);
  setup_application(app);
  TForm_main window;
  window.show();
  if (!QTest::qWaitForWindowExposed(&window)) {
    std::fprintf(stderr, "bench_upload: the window was not shown\n");
    return 1;
  }

  // The emulated module's serving thread inherits this: its 2 ms wait then
  // ends within microseconds instead of the default 50 µs timer slack, so
  // the delayed upload is measured against a module that really answers
  // after 2 ms. The tool's own thread only waits for data, never for time.
  prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
  if (options.progress_bar == "plain") {
    window.ui()->ProgressBar->setStyle(QStyleFactory::create(QStringLiteral("Windows")));
  } else if (options.progress_bar == "off") {
    window.ui()->ProgressBar->setUpdatesEnabled(false);
  }
  if (options.progress_bar != "as-is") std::printf("(progress bar: %s)\n", options.progress_bar.c_str());
  Bench bench(window);
  without_delay(bench, options.runs);
  with_delay(bench, options.delayed_runs);
  console_growth(bench, options.console_uploads, options.console_repeats);
  return 0;
}
