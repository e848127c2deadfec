// SPDX-License-Identifier: MIT
// A project's records and which of them is printed: "Protokół..." in the
// window (the chooser's list, the chosen record written) and
// `zel17 --protocol` with --record N, over a folder with a damaged record;
// a field test's protocol, and the handover document of a walk and a field
// test.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <atomic>
#include <thread>
#include <tuple>

#include "app/protocol_command.h"
#include "config/config_matrix.h"
#include "file_bytes.h"
#include "gui/walk_protocol_pdf.h"
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

// A field test of rows 5, 8, 11 (adr 0-2. Alarm I) by `engineer` on the 7th
// at 13:00: adr 0 seen and rated OK, then "Błąd"; adr 1 seen, not rated;
// adr 2 not seen; adr 5. Awaria reported without a lamp.
WalkRecord field_record_by(const std::string& engineer) {
  const auto at = [](int minute) { return "2026-12-07T13:0" + std::to_string(minute) + ":00+01:00"; };
  WalkRecord record = new_record("hala.zel", ConfigMatrix{}, {}, {5, 8, 11}, "1.2.0", engineer,
                                 {0, "Tablica ZEL v1", "ZEL0042"}, at(0));
  record.header.kind = RecordKind::field;
  record.see(5, 1, at(1));
  record.see(8, 1, at(2));
  record.find({FindingKind::no_lamp, 20, 1, "adr 5. Awaria", "Kotłownia", at(3)});
  record.take(5, Verdict::ok, "", at(4));
  record.take(5, Verdict::fault, "lampa 1 miga", at(5));
  return record;
}

// The text of a written PDF's line that holds `part` (empty when none does).
std::string line_with(const std::string& text, const std::string& part) {
  const std::size_t at = text.find(part);
  if (at == std::string::npos) return {};
  const std::size_t begin = text.rfind('\n', at) + 1;
  return text.substr(begin, text.find('\n', at) - begin);
}

std::size_t count_of(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++count;
  return count;
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
            "2. 2026-12-07 11:00:00 – test po kolei – Bartek – OK 1, błędy 1, bez oceny 1, nie sprawdzono 2");
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
    return std::optional<RecordRequest>({0, false});  // Anna's
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
      {{"--protocol", journal_file, pdf, "--handover"}, 66, nullptr},  // walks only: no field test to go with
      {{"--protocol", journal_file, pdf, "--handover", "--handover"}, 64, nullptr},
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

// A field test's protocol: its own title, every planned event with its
// state, the event without a lamp apart, and the coverage.
TEST_F(WalkProtocolRecords, AFieldTestPrintsEveryPlannedEventItsFindingsApartAndTheCoverage) {
  ASSERT_TRUE(export_walk_protocol_pdf(path("proba.pdf"), field_record_by("Celina")));
  const std::string text = pdfText("proba.pdf");
  EXPECT_NE(text.find("Protokół próby z obiektu"), std::string::npos);
  EXPECT_EQ(text.find("Protokół sprawdzenia tablicy synoptycznej"), std::string::npos);
  EXPECT_NE(text.find("Celina"), std::string::npos);
  // Each planned event's line: its state, when the bus reported it and from which control unit.
  for (const auto& [label, state, seen] : std::vector<std::tuple<std::string, std::string, std::string>>{
           {"adr 0. Alarm I", "Błąd", "13:01:00"},
           {"adr 1. Alarm I", "widziano – bez oceny", "13:02:00"},
           {"adr 2. Alarm I", "nie widziano", ""}}) {
    std::string line = line_with(text, label);
    EXPECT_NE(line.find(state), std::string::npos) << line;
    line.erase(line.find_last_not_of(' ') + 1);
    EXPECT_EQ(line.ends_with(" 1"), !seen.empty()) << line;  // the control unit, last
    if (!seen.empty()) {
      EXPECT_NE(line.find(seen), std::string::npos) << line;
    }
  }
  EXPECT_NE(text.find("Wcześniej: OK 13:04:00"), std::string::npos);
  // The event without a lamp only below the plan, under its own heading.
  const std::size_t apart = text.find("Zdarzenia spoza planu");
  ASSERT_NE(apart, std::string::npos);
  EXPECT_GT(apart, text.find("adr 2. Alarm I"));
  const std::string finding_text = text.substr(apart);
  const std::string finding = line_with(finding_text, "adr 5. Awaria");
  for (const char* part : {"bez lampy", "Kotłownia", "2026-12-07 13:03:00"})
    EXPECT_NE(finding.find(part), std::string::npos) << finding;
  EXPECT_EQ(count_of(text, "adr 5. Awaria"), 1u);
  // Each table under its own column header.
  EXPECT_EQ(count_of(line_with(text, "Zdarzenie"), "Stan"), 1u);
  EXPECT_EQ(count_of(line_with(finding_text, "Zdarzenie"), "Rodzaj"), 1u);
  EXPECT_GT(text.find("Widziano 2 z 3 zdarzeń planu, bez lampy: 1."), apart);
  EXPECT_EQ(count_of(text, "instalator (podpis)"), 1u);
}

// "Protokół odbioru": the chosen record with the newest record of the other
// kind of the same table, both sections under one header and one signature
// block; in the window and by zel17 --protocol --handover.
TEST_F(WalkProtocolRecords, AHandoverDocumentHoldsTheWalkAndTheFieldTestSignedOnce) {
  WalkRecord other_table = field_record_by("Dorota");
  other_table.header.sha256 = std::string(64, '0');
  write_bytes(path("hala.zel-protokoly/4.jsonl"), journal_text(field_record_by("Celina")));
  write_bytes(path("hala.zel-protokoly/5.jsonl"), journal_text(other_table));
  const std::vector<RecordChoice> choices = record_choices(load_walk_journal(folder()));
  ASSERT_EQ(choices.size(), 5u);
  EXPECT_EQ(choices[1].text.toStdString(), "4. 2026-12-07 13:00:00 – próba z obiektu – Celina – widziano 2 z 3, bez lampy 1");
  // The chooser's second button asks for the handover document.
  WalkRecordChooser chooser(choices);
  auto* handover = chooser.findChild<QPushButton*>(QStringLiteral("HandoverProtocolButton"));
  ASSERT_NE(handover, nullptr);
  handover->click();
  EXPECT_TRUE(chooser.handover());
  EXPECT_EQ(chooser.chosen(), std::optional<std::size_t>(4));

  window().openConfigFile(path("hala.zel"));
  std::vector<QString> warnings;
  window().showWarning = [&](const QString& text) { warnings.push_back(text); };
  std::size_t chosen = 3;  // Celina's field test
  window().askWalkRecord = [&](const std::vector<RecordChoice>&) { return std::optional<RecordRequest>({chosen, true}); };
  window().chooseFile = [&](const FileDialogSettings&, FileDialogMode, const QString&) { return path("odbior.pdf"); };
  window().WalkProtocolClick();
  ASSERT_EQ(warnings, std::vector<QString>{});
  const std::string text = pdfText("odbior.pdf");
  const std::size_t walk = text.find("Test po kolei"), field = text.find("Próba z obiektu");
  ASSERT_NE(walk, std::string::npos);
  ASSERT_NE(field, std::string::npos);
  EXPECT_LT(walk, field);
  EXPECT_NE(text.find("Protokół odbioru"), std::string::npos);
  // The newest walk of the table (Bartek's, the damaged one left out) and the field test, in their sections.
  EXPECT_NE(line_with(text, "Sprawdzający").find("Bartek, Celina"), std::string::npos);
  EXPECT_EQ(text.find("Anna"), std::string::npos);
  EXPECT_GT(text.find("sprawdzono zdarzeń: 3, OK: 1, błędy: 1"), walk);
  EXPECT_LT(text.find("sprawdzono zdarzeń: 3, OK: 1, błędy: 1"), field);
  EXPECT_GT(text.find("Widziano 2 z 3 zdarzeń planu, bez lampy: 1."), field);
  EXPECT_EQ(count_of(text, "instalator (podpis)"), 1u);
  EXPECT_GT(text.find("instalator (podpis)"), text.find("Widziano 2 z 3"));

  // A field test of another table has no walk to go with: said, nothing written.
  chosen = 4;
  window().chooseFile = [&](const FileDialogSettings&, FileDialogMode, const QString&) { return path("inny.pdf"); };
  window().WalkProtocolClick();
  EXPECT_EQ(warnings, std::vector<QString>{QString::fromUtf8(kNoWalkForHandover)});
  EXPECT_FALSE(QFile::exists(path("inny.pdf")));

  // zel17 --protocol: Anna's walk (1) with the field test.
  const fs::path pdf = path("odbior-1.pdf").toStdString();
  EXPECT_EQ(write_protocol_from_command_line({"--protocol", folder(), pdf, "--handover", "--record", "1"}), 0);
  EXPECT_NE(line_with(pdfText("odbior-1.pdf"), "Sprawdzający").find("Anna, Celina"), std::string::npos);
}

}  // namespace
