// SPDX-License-Identifier: MIT
// A project's records and which of them is printed: "Protokół..." in the
// window (the chooser's list, the chosen record written) and
// `zel17 --protocol` with --record N, over a folder with a damaged record.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <atomic>
#include <thread>

#include "app/protocol_command.h"
#include "config/config_matrix.h"
#include "file_bytes.h"
#include "gui/walk_record_chooser.h"
#include "poppler_run.h"
#include "window_fixture.h"

namespace {

namespace fs = std::filesystem;

// Rows 5-9 by `engineer` begun on the 7th at `hour`: row 5 OK, row 6 "Błąd", row 7 shown only.
WalkRecord record_by(const std::string& engineer, int hour) {
  const std::string day = "2026-12-07T" + std::to_string(hour) + ":00:00+01:00";
  WalkRecord record = new_record("hala.zel", ConfigMatrix{}, {}, {5, 6, 7, 8, 9}, "1.1.0", engineer,
                                 {0, "Tablica ZEL v1", "ZEL0042"}, day);
  record.take(5, Verdict::ok, "", day);
  record.take(6, Verdict::fault, "", day);
  record.take(7, Verdict::not_rated, "", day);
  return record;
}

class WalkProtocolRecords : public WindowTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    WindowTest::SetUp();
    const ConfigMatrix table;
    write_bytes(path("hala.zel"), std::string(table.bytes().begin(), table.bytes().end()));
    // The records of hala.zel, oldest first: Anna's, Bartek's, and a damaged one.
    fs::create_directories(folder());
    write_bytes(path("hala.zel-protokoly/1.jsonl"), journal_text(record_by("Anna", 10)));
    write_bytes(path("hala.zel-protokoly/2.jsonl"), journal_text(record_by("Bartek", 11)));
    write_bytes(path("hala.zel-protokoly/3.jsonl"),
                journal_start_line(record_by("Celina", 12)) + "{\"type\":\n" + journal_end_line("2026-12-07T12:30:00+01:00"));
  }
  QString path(const char* name) const { return dir_.filePath(QString::fromUtf8(name)); }
  fs::path folder() const { return path("hala.zel-protokoly").toStdString(); }
  std::string pdfText(const char* name) const { return pdf_layout_text(path(name)).toStdString(); }

  QTemporaryDir dir_;
};

TEST_F(WalkProtocolRecords, TheWindowOffersTheRecordsNewestFirstAndWritesTheChosenOne) {
  const std::vector<RecordChoice> choices = record_choices(load_walk_journal(folder()));
  ASSERT_EQ(choices.size(), 3u);
  EXPECT_EQ(choices[0].text.toStdString(), "3. 3.jsonl – uszkodzony: Błąd w dzienniku, wiersz 2: to nie jest JSON");
  EXPECT_EQ(choices[1].text.toStdString(),
            "2. 2026-12-07 11:00:00 – Bartek – OK 1, błędy 1, bez oceny 1, nie sprawdzono 2");
  EXPECT_EQ((std::vector<bool>{choices[0].printable, choices[1].printable, choices[2].printable}),
            (std::vector<bool>{false, true, true}));
  EXPECT_EQ((std::vector<std::size_t>{choices[0].record, choices[1].record, choices[2].record}),
            (std::vector<std::size_t>{2, 1, 0}));
  // The dialog starts on the newest record that can be written; the damaged one cannot be chosen.
  WalkRecordChooser chooser(choices);
  EXPECT_EQ(chooser.chosen(), std::optional<std::size_t>(1));
  auto* list = chooser.findChild<QListWidget*>(QStringLiteral("WalkRecordList"));
  list->setCurrentRow(0);
  EXPECT_EQ(chooser.chosen(), std::nullopt);

  window().openConfigFile(path("hala.zel"));
  std::vector<RecordChoice> offered;
  window().askWalkRecord = [&](const std::vector<RecordChoice>& shown) {
    offered = shown;
    return std::optional<std::size_t>(0);  // Anna's
  };
  window().chooseFile = [&](const FileDialogSettings&, FileDialogMode, const QString&) { return path("anna.pdf"); };
  window().WalkProtocolClick();
  EXPECT_EQ(offered.size(), 3u);
  EXPECT_NE(pdfText("anna.pdf").find("Anna"), std::string::npos);
}

// zel17 --protocol: the newest record by default, any other by its number,
// a damaged one refused, and a journal that is no file or folder refused
// without being opened.
TEST_F(WalkProtocolRecords, ZelProtocolWritesTheRecordOfTheNumberGiven) {
  const fs::path fifo = path("potok.jsonl").toStdString();
  ASSERT_EQ(mkfifo(fifo.c_str(), 0666), 0);
  const fs::path pdf = path("out.pdf").toStdString();
  const fs::path journal_file = path("dziennik.jsonl").toStdString();
  write_bytes(path("dziennik.jsonl"), journal_text(record_by("Anna", 10)) + journal_text(record_by("Bartek", 11)));
  struct Case {
    std::vector<fs::path> arguments;
    int status;
    const char* engineer;  // in the PDF written
  };
  const Case cases[] = {
      {{"--protocol", folder(), pdf}, 66, nullptr},
      {{"--protocol", folder(), pdf, "--record", "2"}, 0, "Bartek"},
      {{"--protocol", "--record", "1", folder(), pdf}, 0, "Anna"},
      {{"--protocol", journal_file, pdf}, 0, "Bartek"},
      {{"--protocol", journal_file, pdf, "--record", "1"}, 0, "Anna"},
      {{"--protocol", folder(), pdf, "--record", "4"}, 66, nullptr},
      {{"--protocol", path("brak").toStdString(), pdf}, 66, nullptr},
      {{"--protocol", fifo, pdf}, 66, nullptr},
      {{"--protocol", folder(), pdf, "--record", "0"}, 64, nullptr},
      {{"--protocol", folder(), pdf, "--record", "1x"}, 64, nullptr},
      {{"--protocol", folder(), pdf, "--record"}, 64, nullptr},
      {{"--protocol", folder()}, 64, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(path_utf8(c.arguments[1]) + " " + path_utf8(c.arguments.back()));
    fs::remove(pdf);
    // A reader opening the FIFO would wait for a writer for good: this one lets it go, and tells.
    std::atomic<bool> done{false}, opened{false};
    std::thread writer([&] {
      while (!done) {
        if (const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK); fd >= 0) {
          opened = true;
          ::close(fd);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
    });
    EXPECT_EQ(write_protocol_from_command_line(c.arguments), c.status);
    done = true;
    writer.join();
    EXPECT_FALSE(opened);
    EXPECT_EQ(fs::exists(pdf), c.engineer != nullptr);
    if (c.engineer) {
      EXPECT_NE(pdfText("out.pdf").find(c.engineer), std::string::npos);
    }
  }
}

}  // namespace
