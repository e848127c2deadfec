// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "commissioning/walk_journal.h"
#include "commissioning/walk_protocol_csv.h"
#include "config/config_matrix.h"
#include "scratch_folder.h"

namespace {

RecordHeader header_5_to_9() {
  RecordHeader header;
  header.configuration_file = "hala.zel";
  header.sha256 = std::string(64, 'a');
  header.tool_version = "1.1.0";
  header.engineer = "Jan Kowalski";
  header.site = {"Magazyn", "ul. Polna 1", "portiernia", ""};
  header.started = "2026-12-07T14:00:00+01:00";
  header.rows = {5, 6, 7, 8, 9};
  return header;
}

RecordLine rated(int row, Verdict verdict, std::string comment = "", std::string time = "2026-12-07T14:01:00+01:00") {
  RecordLine line;
  line.row = row;
  line.label = row_label(row);
  line.expected = "nic";
  line.verdict = verdict;
  line.comment = std::move(comment);
  line.time = std::move(time);
  return line;
}

std::string journal_of(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line;
  return text;
}

TEST(WalkRecord, ExpectedLampsNameTheLitLampsWithTheirModesInOrder) {
  ConfigMatrix matrix;
  ProjectNames names;
  names.lamps[2] = "Hala A";
  names.lamps[6] = "Kotłownia";
  names.addresses[1] = "Magazyn";
  matrix.set(8, 6, LED_FAST_BLINK);
  matrix.set(8, 2, LED_STEADY);
  matrix.set(8, 24, LED_SLOW_BLINK);
  struct Case {
    int row;
    const ProjectNames& names;
    std::string expected;
    std::string address;
  };
  const ProjectNames none;
  const Case cases[] = {
      {8, names, "3 Hala A – ciągłe, 7 Kotłownia – szybkie miganie, 25 – wolne miganie", "Magazyn"},
      {8, none, "3 – ciągłe, 7 – szybkie miganie, 25 – wolne miganie", ""},
      {9, names, "nic", "Magazyn"},
      {0, names, "nic", ""},
      {5, names, "nic", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.row);
    const RecordLine line = event_line(matrix, c.row, c.names);
    EXPECT_EQ(line.expected, c.expected);
    EXPECT_EQ(line.name, c.address);
    EXPECT_EQ(line.label, row_label(c.row));
  }
}

TEST(WalkRecord, TheLastVerdictOfARowCountsAndLinesKeepThePlansOrder) {
  WalkRecord record;
  record.header = header_5_to_9();
  EXPECT_EQ(record.first_unwalked_row(), 5);
  record.take(rated(7, Verdict::ok));
  record.take(rated(5, Verdict::fault, "lampa 3 nie świeci"));
  record.take(rated(6, Verdict::not_rated));
  record.take(rated(5, Verdict::ok));  // changed on the way back
  record.take(rated(9, Verdict::fault));
  std::vector<int> rows;
  for (const RecordLine& line : record.lines) rows.push_back(line.row);
  EXPECT_EQ(rows, (std::vector<int>{5, 6, 7, 9}));
  EXPECT_EQ(record.lines.front().verdict, Verdict::ok);
  EXPECT_EQ(record.summary(), (RecordSummary{4, 2, 1, 1, 1}));
  EXPECT_EQ(record.first_unwalked_row(), 8);
  EXPECT_FALSE(record.complete());
  EXPECT_EQ(record.fault_rows(), std::vector<int>{9});
  EXPECT_TRUE(record.rated(5));
  EXPECT_FALSE(record.rated(6));  // shown on the timer: a line, not a verdict
  EXPECT_FALSE(record.rated(8));
}

TEST(WalkJournal, ReaderTakesWhatTheWriterWroteAndRefusesWhatItDidNot) {
  const std::string start = journal_start_line(header_5_to_9());
  const std::string ok5 = journal_verdict_line(rated(5, Verdict::ok));
  const std::string fault6 = journal_verdict_line(rated(6, Verdict::fault, "7 \"miga\"; nie świeci\nwcale"));
  const std::string end = journal_mark_line("end", "2026-12-07T14:05:00+01:00");
  struct Case {
    const char* what;
    std::string text;
    std::string reason;      // empty: read
    std::size_t lines = 0;   // of the last record
    bool closed = false;
  };
  std::string other_start = start;
  other_start.replace(other_start.find(std::string(64, 'a')), 64, std::string(64, 'b'));
  const Case cases[] = {
      {"empty", "", "", 0},
      {"whole", journal_of({start, ok5, fault6, end}), "", 2, true},
      {"CR LF and blank lines", journal_of({start, "\r\n", ok5.substr(0, ok5.size() - 1) + "\r\n"}), "", 1},
      {"last line cut by a crash", journal_of({start, ok5, fault6.substr(0, 40)}), "", 1},
      {"a newer record replaces the older", journal_of({start, ok5, fault6, other_start, ok5}), "", 1},
      {"resumed", journal_of({start, ok5, journal_mark_line("resume", "t"), fault6}), "", 2},
      {"resumed after a cut line", journal_of({start, ok5.substr(0, 30) + "\n", journal_mark_line("resume", "t"), fault6}), "", 1},
      {"cut line in the middle", journal_of({start, fault6.substr(0, 40) + "\n", ok5}),
       "Błąd w dzienniku, wiersz 2: to nie jest JSON"},
      {"verdict before a start", journal_of({ok5}), "Błąd w dzienniku, wiersz 1: wpis przed początkiem testu"},
      {"not an object", "[1,2]\n", "Błąd w dzienniku, wiersz 1: to nie jest obiekt JSON"},
      {"unknown type", "{\"type\":\"x\"}\n", "Błąd w dzienniku, wiersz 1: nieznany rodzaj wpisu \"x\""},
      {"no type", "{}\n", "Błąd w dzienniku, wiersz 1: brak pola \"type\""},
      {"row outside the walk", journal_of({start, journal_verdict_line(rated(20, Verdict::ok))}),
       "Błąd w dzienniku, wiersz 2: wiersz 20 nie należy do testu"},
      {"row outside the table", journal_of({start, journal_verdict_line(rated(305, Verdict::ok))}),
       "Błąd w dzienniku, wiersz 2: pole \"row\" nie jest liczbą od 0 do 304"},
      {"unknown verdict",
       journal_of({start, std::string(R"({"type":"verdict","time":"t","row":5,"label":"","name":"","expected":"","verdict":"dobrze","comment":""})") + "\n"}),
       "Błąd w dzienniku, wiersz 2: nieznana ocena"},
      {"text where a number goes",
       std::string(R"({"type":"start","time":"t","file":"","sha256":"","differing_cells":"0","version":"","engineer":"","site":{},"rows":[]})") + "\n",
       "Błąd w dzienniku, wiersz 1: pole \"differing_cells\" nie jest liczbą od -1 do 7625"},
      {"a module without a valid configuration",
       std::string(R"({"type":"start","time":"t","file":"","sha256":"","differing_cells":-1,"version":"","engineer":"","site":{"name":"","address":"","board_place":"","notes":""},"rows":[]})") + "\n",
       "", 0},
      {"fewer differing cells than none",
       std::string(R"({"type":"start","time":"t","file":"","sha256":"","differing_cells":-2,"version":"","engineer":"","site":{},"rows":[]})") + "\n",
       "Błąd w dzienniku, wiersz 1: pole \"differing_cells\" nie jest liczbą od -1 do 7625"},
      {"site not an object",
       std::string(R"({"type":"start","time":"t","file":"","sha256":"","differing_cells":0,"version":"","engineer":"","site":3,"rows":[]})") + "\n",
       "Błąd w dzienniku, wiersz 1: pole \"site\" nie jest obiektem"},
      {"bad row in the plan",
       std::string(R"({"type":"start","time":"t","file":"","sha256":"","differing_cells":0,"version":"","engineer":"","site":{"name":"","address":"","board_place":"","notes":""},"rows":[5,-1]})") + "\n",
       "Błąd w dzienniku, wiersz 1: pole \"rows\" zawiera nieprawidłowy wiersz"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const JournalReading reading = parse_walk_journal(c.text);
    EXPECT_EQ(reading.ok, c.reason.empty());
    EXPECT_EQ(reading.reason, c.reason);
    if (!reading.ok || c.text.empty()) {
      EXPECT_FALSE(reading.record);
      continue;
    }
    ASSERT_TRUE(reading.record);
    EXPECT_EQ(reading.record->lines.size(), c.lines);
    EXPECT_EQ(reading.record->closed, c.closed);
  }
  const JournalReading whole = parse_walk_journal(journal_of({start, ok5, fault6, end}));
  EXPECT_EQ(whole.record->header, header_5_to_9());
  EXPECT_EQ(whole.record->lines[1], rated(6, Verdict::fault, "7 \"miga\"; nie świeci\nwcale"));
  EXPECT_EQ(whole.record->ended, "2026-12-07T14:05:00+01:00");
}

class WalkJournalFile : public ScratchFolderTest {};

TEST_F(WalkJournalFile, EveryEntryIsInTheFileAndALineCutByACrashIsClosedBeforeTheNext) {
  const auto path = dir_ / "hala-protokol.jsonl";
  EXPECT_EQ(journal_path_for(dir_ / "hala.zel"), path);
  {
    WalkJournal journal(path);
    ASSERT_EQ(journal.error(), "");
    EXPECT_EQ(journal.begin(header_5_to_9()), "");
    EXPECT_EQ(journal.rate(rated(5, Verdict::ok)), "");
    // Read while the journal is still open, as after a crash.
    const JournalReading reading = load_walk_journal(path);
    ASSERT_TRUE(reading.ok) << reading.reason;
    EXPECT_EQ(*reading.record, journal.record());
  }
  // A crash in the middle of the next line.
  const std::string cut = journal_verdict_line(rated(6, Verdict::fault)).substr(0, 30);
  Bytes bytes = read_bytes(path);
  bytes.insert(bytes.end(), cut.begin(), cut.end());
  write_bytes(path, bytes);

  JournalReading reading = load_walk_journal(path);
  ASSERT_TRUE(reading.ok) << reading.reason;
  EXPECT_EQ(reading.record->first_unwalked_row(), 6);
  {
    WalkJournal journal(path);
    EXPECT_EQ(journal.resume(*reading.record, "2026-12-07T15:00:00+01:00"), "");
    EXPECT_EQ(journal.rate(rated(6, Verdict::fault, "nic nie świeci")), "");
    EXPECT_EQ(journal.end("2026-12-07T15:01:00+01:00"), "");
  }
  reading = load_walk_journal(path);
  ASSERT_TRUE(reading.ok) << reading.reason;
  EXPECT_EQ(reading.record->lines.size(), 2u);
  EXPECT_EQ(reading.record->lines[1].comment, "nic nie świeci");
  EXPECT_TRUE(reading.record->closed);

  WalkJournal unwritable(dir_ / "brak" / "x.jsonl");
  EXPECT_NE(unwritable.error(), "");
  EXPECT_NE(unwritable.rate(rated(5, Verdict::ok)), "");
}

TEST(WalkProtocolCsv, OneLinePerWalkedEventWithItsFieldsQuotedWhereTheyMustBe) {
  WalkRecord record;
  record.header = header_5_to_9();
  record.take(rated(6, Verdict::fault, "lampa \"7\"; miga", "2026-12-07T14:02:03+01:00"));
  RecordLine named = rated(5, Verdict::ok, "", "2026-12-07T14:01:00+01:00");
  named.name = "Hala A";
  named.expected = "3 Hala A – ciągłe, 7 – szybkie miganie";
  record.take(named);
  record.take(rated(7, Verdict::not_rated, "", "2026-12-07T14:03:00+01:00"));
  EXPECT_EQ(walk_protocol_csv(record),
            "\xEF\xBB\xBF"
            "czas;wiersz;zdarzenie;nazwa;oczekiwane;ocena;uwagi\r\n"
            "2026-12-07 14:01:00;5;adr 0. Alarm I;Hala A;3 Hala A – ciągłe, 7 – szybkie miganie;OK;\r\n"
            "2026-12-07 14:02:03;6;adr 0. Alarm II;;nic;Błąd;\"lampa \"\"7\"\"; miga\"\r\n"
            "2026-12-07 14:03:00;7;adr 0. Awaria;;nic;nie oceniono;\r\n");
  EXPECT_EQ(readback_result_text(0), "Konfiguracja w module zgodna z plikiem.");
  EXPECT_EQ(readback_result_text(12), "Konfiguracja w module różni się w 12 komórkach!");
  EXPECT_EQ(readback_result_text(kNoValidConfiguration), "Moduł nie zawiera poprawnej konfiguracji!");
  EXPECT_EQ(record_time_text("bez czasu"), "bez czasu");
}

}  // namespace
