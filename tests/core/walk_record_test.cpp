// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "commissioning/commissioning_record.h"
#include "commissioning/numbered_record.h"
#include "commissioning/walk_protocol_csv.h"
#include "config/config_matrix.h"
#include "config/name_text.h"
#include "config/sha256.h"
#include "scratch_folder.h"

namespace {

const ModuleReading kSameModule{0, "Tablica ZEL v1", "ZEL0042"};

// A record of rows 5-9 of an empty table, begun at 14:00.
WalkRecord record_5_to_9(const ModuleReading& module = kSameModule) {
  ProjectNames names;
  names.site = {"Magazyn", "ul. Polna 1", "portiernia", ""};
  return new_record("hala.zelp", ConfigMatrix{}, names, {5, 6, 7, 8, 9}, "1.1.0", "Jan Kowalski", module,
                    "2026-12-07T14:00:00+01:00");
}

std::string at(int minute) { return "2026-12-07T14:" + std::string(minute < 10 ? "0" : "") + std::to_string(minute) + ":00+01:00"; }

std::string verdict(int row, Verdict v, const std::string& comment = "", int minute = 1) {
  return journal_verdict_line(row, {v, comment, at(minute)});
}

std::string joined(const std::vector<std::string>& lines) {
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

// A verdict given again keeps the earlier one; an event shown on the timer
// never hides a verdict; a walk with verdicts goes on at the first event
// without one, a timer walk at the first event not shown.
TEST(WalkRecord, VerdictsKeepTheirHistoryAndAWalkGoesOnWhereItsKindLeftOff) {
  WalkRecord record = record_5_to_9();
  EXPECT_EQ(record.next_row(true), 5);
  EXPECT_TRUE(record.take(7, Verdict::ok, "", at(1)));
  EXPECT_TRUE(record.take(5, Verdict::fault, "lampa 3 miga wolno", at(2)));
  EXPECT_TRUE(record.take(6, Verdict::not_rated, "", at(3)));
  EXPECT_TRUE(record.take(5, Verdict::ok, "po poprawce", at(20)));
  EXPECT_TRUE(record.take(7, Verdict::not_rated, "", at(21)));  // the timer passes a rated event
  EXPECT_FALSE(record.take(20, Verdict::ok, "", at(22)));
  EXPECT_EQ(record.line(5)->earlier, (std::vector<VerdictEntry>{{Verdict::fault, "lampa 3 miga wolno", at(2)}}));
  EXPECT_EQ(record.line(5)->comment, "po poprawce");
  EXPECT_EQ(record.line(7)->verdict, Verdict::ok);
  EXPECT_EQ(record.line(7)->time, at(1));
  EXPECT_EQ(record.summary(), (RecordSummary{3, 2, 0, 1, 2}));
  EXPECT_EQ(record.next_row(true), 6);   // shown, but without a verdict
  EXPECT_EQ(record.next_row(false), 8);
  EXPECT_EQ(record.sessions.back().ended, at(21));
  record.take(6, Verdict::fault, "", at(30));
  EXPECT_EQ(record.fault_rows(), std::vector<int>{6});
  for (int row : {8, 9}) record.take(row, Verdict::ok, "", at(31));
  EXPECT_EQ(record.next_row(true), -1);
  EXPECT_EQ(record.next_row(false), -1);
}

// Each record of a journal is read on its own: what one cannot be read
// spoils only that one.
TEST(WalkJournal, EachRecordIsReadOnItsOwnAndADamagedLineSpoilsOnlyItsRecord) {
  const std::string start = journal_start_line(record_5_to_9());
  const std::string ok5 = verdict(5, Verdict::ok);
  const std::string fault6 = verdict(6, Verdict::fault, "7 \"miga\"; nie świeci\nwcale");
  const std::string end = journal_end_line(at(5));
  const std::string cut = fault6.substr(0, 30) + "\n";
  std::string row_305 = start;
  row_305.replace(row_305.find("\"row\":9"), 7, "\"row\":305");
  std::string twice = start;
  twice.replace(twice.find("\"row\":9"), 7, "\"row\":5");
  WalkRecord field = record_5_to_9();
  field.header.kind = RecordKind::field;
  const std::string field_start = journal_start_line(field) + journal_seen_line(5, 0, at(1));
  const std::string legacy_start =
      R"({"type":"start","time":"t","file":"a.zel","sha256":"","differing_cells":-1,"version":"","engineer":"",)"
      R"("site":{"name":"","address":"","board_place":"","notes":""},"rows":[5,6]})" "\n";
  const std::string legacy_verdict =
      R"({"type":"verdict","time":"t2","row":6,"label":"adr 0. Alarm II","name":"Hala","expected":"nic","verdict":"Błąd","comment":""})" "\n";
  struct Case {
    const char* what;
    std::string text;
    std::vector<std::string> records;  // per record: its shown lines, or its damage
  };
  const Case cases[] = {
      {"empty", "", {}},
      {"whole", joined({start, ok5, fault6, end}), {"2"}},
      {"CR LF and blank lines", joined({start, "\r\n", ok5.substr(0, ok5.size() - 1) + "\r\n"}), {"1"}},
      {"last line cut by a crash", joined({start, ok5, fault6.substr(0, 40)}), {"1"}},
      {"a line cut just before a new start", joined({start, ok5, cut, start, fault6}), {"1", "1"}},
      {"a line cut before a resume", joined({start, cut, journal_resume_line({at(9), at(9), false, kSameModule}), ok5}), {"1"}},
      {"two cut lines in a row", joined({start, ok5, cut, cut, journal_resume_line({}), ok5}),
       {"Błąd w dzienniku, wiersz 3: to nie jest JSON"}},
      {"a cut line in the middle", joined({start, cut, ok5}), {"Błąd w dzienniku, wiersz 2: to nie jest JSON"}},
      {"a damaged record before a good one", joined({start, "{}\n", ok5, start, ok5, fault6}),
       {"Błąd w dzienniku, wiersz 2: brak pola \"type\"", "2"}},
      {"a damaged record after a good one", joined({start, ok5, start, verdict(20, Verdict::ok)}),
       {"1", "Błąd w dzienniku, wiersz 4: wiersz 20 nie należy do testu"}},
      {"text before any start", joined({"nie JSON\n", start}), {"Błąd w dzienniku, wiersz 1: to nie jest JSON", "0"}},
      {"verdict before a start", ok5, {"Błąd w dzienniku, wiersz 1: wpis przed początkiem testu"}},
      {"unknown type", "{\"type\":\"x\"}\n", {"Błąd w dzienniku, wiersz 1: nieznany rodzaj wpisu \"x\""}},
      {"a plan holding row 305", row_305, {"Błąd w dzienniku, wiersz 1: pole \"rows\" zawiera nieprawidłowy wiersz"}},
      {"a plan holding a row twice", twice, {"Błąd w dzienniku, wiersz 1: wiersz 5 powtarza się w planie"}},
      {"a row outside the table", joined({start, verdict(305, Verdict::ok)}),
       {"Błąd w dzienniku, wiersz 2: pole \"row\" nie jest liczbą od 0 do 304"}},
      {"a verdict without its time", joined({start, journal_verdict_line(5, {Verdict::ok, "", ""})}),
       {"Błąd w dzienniku, wiersz 2: pole \"time\" jest puste"}},
      {"unknown verdict", joined({start, R"({"type":"verdict","time":"t","row":5,"verdict":"dobrze","comment":""})" "\n"}),
       {"Błąd w dzienniku, wiersz 2: nieznana ocena"}},
      {"a field test rating what the bus reported", joined({field_start, ok5}), {"1"}},
      {"a field test rating what the bus did not report", joined({field_start, verdict(6, Verdict::ok)}),
       {"Błąd w dzienniku, wiersz 3: ocena zdarzenia, którego magistrala nie zgłosiła"}},
      {"a field test's \"nie oceniono\"", joined({field_start, verdict(5, Verdict::not_rated)}),
       {"Błąd w dzienniku, wiersz 3: ocena zdarzenia, którego magistrala nie zgłosiła"}},
      {"an earlier version's journal", joined({legacy_start, legacy_verdict, journal_end_line("t3")}), {"1"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const JournalReading reading = parse_walk_journal(c.text, "d.jsonl");
    EXPECT_TRUE(reading.ok);
    std::vector<std::string> records;
    for (const StoredRecord& stored : reading.records) {
      EXPECT_EQ(stored.file, "d.jsonl");
      EXPECT_EQ(stored.record.has_value(), stored.damage.empty());
      records.push_back(stored.record ? std::to_string(stored.record->summary().walked) : stored.damage);
    }
    EXPECT_EQ(records, c.records);
  }
  // What was written reads back the same, history and sessions too.
  WalkRecord record = record_5_to_9();
  record.take(5, Verdict::fault, "lampa 3", at(2));
  record.take(5, Verdict::ok, "", at(3));
  record.take(6, Verdict::not_rated, "", at(4));
  record.sessions.push_back({at(10), at(10), true, {kNoValidConfiguration, "", "usb 1-1.2"}});
  const JournalReading again = parse_walk_journal(journal_text(record));
  ASSERT_EQ(again.records.size(), 1u);
  ASSERT_TRUE(again.records[0].record);
  EXPECT_EQ(again.records[0].record->lines, record.lines);
  EXPECT_EQ(again.records[0].record->header, record.header);
  ASSERT_EQ(again.records[0].record->sessions.size(), 2u);
  EXPECT_EQ(again.records[0].record->sessions[1].module, record.sessions[1].module);
  // An earlier version's record: its verdicts name their events, its read-back is the start's.
  const WalkRecord old = *parse_walk_journal(joined({legacy_start, legacy_verdict})).records[0].record;
  EXPECT_EQ(old.line(6)->name, "Hala");
  EXPECT_EQ(old.sessions[0].module.differing_cells, kNoValidConfiguration);
}

// The handover's second record: the newest readable one of the other kind
// over the same table, never a damaged one or one of another table.
TEST(HandoverPartner, IsTheNewestRecordOfTheOtherKindOverTheSameTable) {
  const auto stored = [](RecordKind kind, const std::string& sha, const std::string& engineer) {
    WalkRecord record = record_5_to_9();
    record.header.kind = kind;
    record.header.sha256 = sha;
    record.header.engineer = engineer;
    return StoredRecord{"r.jsonl", record, {}};
  };
  JournalReading reading;
  reading.records = {stored(RecordKind::field, "A", "stary"), stored(RecordKind::walk, "A", "obchód"),
                     stored(RecordKind::field, "A", "nowy"), stored(RecordKind::field, "B", "inna tabela"),
                     StoredRecord{"r.jsonl", std::nullopt, "uszkodzony"}};
  const auto partner = [&](std::size_t chosen) {
    const StoredRecord* found = handover_partner(reading, *reading.records[chosen].record);
    return found ? found->record->header.engineer : std::string("brak");
  };
  EXPECT_EQ(partner(1), "nowy");
  EXPECT_EQ(partner(0), "obchód");
  EXPECT_EQ(partner(3), "brak");
}

class CommissioningRecordFile : public ScratchFolderTest {
 protected:
  // A whole sitting over a fresh reading of the folder.
  static std::string sha() { return sha256_hex(ConfigMatrix{}.bytes()); }
};

// A walk, a crash in the next verdict, a resume with another read-back, a
// finished walk and a newer one: every session keeps its own read-back, the
// resume goes on at the first event without a verdict, and no record hides another.
TEST_F(CommissioningRecordFile, EverySessionKeepsItsReadBackAndNoRecordHidesAnother) {
  const auto folder = records_folder_for(path("hala.zelp"));
  EXPECT_EQ(folder, path("hala.zelp-protokoly"));
  {
    CommissioningRecord record(folder);
    EXPECT_EQ(record.unfinished(sha(), true), nullptr);
    ASSERT_EQ(record.begin(record_5_to_9()), "");
    EXPECT_EQ(record.rate(5, Verdict::ok, "", at(1)), "");
    EXPECT_EQ(record.show(6, at(2)), "");  // a timer walk passed it
    EXPECT_NE(record.rate(20, Verdict::ok, "", at(3)), "");
  }
  ASSERT_EQ(entries(folder), std::vector<std::string>{"2026-12-07_14-00-00.jsonl"});
  const auto file = folder / "2026-12-07_14-00-00.jsonl";
  const std::string cut = verdict(7, Verdict::fault).substr(0, 30);
  Bytes bytes = read_bytes(file);
  bytes.insert(bytes.end(), cut.begin(), cut.end());
  write_bytes(file, bytes);

  const ModuleReading erased{kNoValidConfiguration, "Tablica ZEL v1", "ZEL0042"};
  {
    CommissioningRecord record(folder);
    EXPECT_EQ(record.unfinished(sha256_hex(Bytes(7625, 1)), true), nullptr);  // another table
    ASSERT_NE(record.unfinished(sha(), true), nullptr);
    EXPECT_EQ(record.unfinished(sha(), true)->next_row(true), 6);
    ASSERT_EQ(record.resume(sha(), true, erased, at(30)), "");
    for (int row : {6, 7, 8, 9}) EXPECT_EQ(record.rate(row, Verdict::ok, "", at(31)), "");
    EXPECT_EQ(record.end(at(32)), "");
    EXPECT_FALSE(record.open());
    EXPECT_NE(record.rate(5, Verdict::ok, "", at(33)), "");
  }
  CommissioningRecord finished(folder);
  EXPECT_EQ(finished.unfinished(sha(), true), nullptr);   // nothing left to walk
  EXPECT_EQ(finished.unfinished(sha(), false), nullptr);
  EXPECT_NE(finished.resume(sha(), true, kSameModule, at(40)), "");
  // "Powtórz błędne" goes on with the finished record of the same table only, keeping the earlier verdict.
  EXPECT_NE(finished.reopen(sha256_hex(Bytes(7625, 1)), kSameModule, at(40)), "");
  ASSERT_EQ(finished.reopen(sha(), kSameModule, at(40)), "");
  EXPECT_EQ(finished.rate(7, Verdict::fault, "lampa 2", at(40)), "");
  EXPECT_EQ(finished.end(at(40)), "");
  ASSERT_EQ(finished.begin(record_5_to_9()), "");  // begun in the same second
  EXPECT_EQ(finished.end(at(41)), "");

  const JournalReading reading = load_walk_journal(folder);
  ASSERT_TRUE(reading.ok) << reading.reason;
  ASSERT_EQ(reading.records.size(), 2u);
  EXPECT_EQ(reading.records[1].file, folder / "2026-12-07_14-00-00_2.jsonl");
  ASSERT_TRUE(reading.records[0].record) << reading.records[0].damage;
  const WalkRecord& first = *reading.records[0].record;
  ASSERT_EQ(first.sessions.size(), 3u);
  EXPECT_EQ(first.sessions[0].module, kSameModule);
  EXPECT_FALSE(first.sessions[0].closed);  // the crash
  EXPECT_EQ(first.sessions[1].module, erased);
  EXPECT_TRUE(first.closed());
  EXPECT_EQ(first.summary(), (RecordSummary{5, 4, 1, 0, 0}));
  EXPECT_EQ(first.line(7)->earlier, (std::vector<VerdictEntry>{{Verdict::ok, "", at(31)}}));
  EXPECT_EQ(readback_result_short_text(first.sessions[1].module.differing_cells), "brak poprawnej konfiguracji");
}

// A field test over adr 0-2 Alarm I lighting lamps 1-3, listening to unit 1:
// the bus's planned events are seen once with their unit, an event without a
// lamp and one of another unit are findings kept once, only a seen event
// takes a verdict, and the record reads back whole and goes on as a field test only.
TEST_F(CommissioningRecordFile, AFieldTestKeepsWhatTheBusReportedAndNothingElse) {
  ConfigMatrix matrix;
  for (int address = 0; address < 3; ++address) matrix.set(address_row(address, AddressEvent::alarm_1), address, LED_STEADY);
  matrix.set(address_row(9, AddressEvent::fault), 4, LED_NOT_AVAILABLE);  // not lit
  const int adr0 = address_row(0, AddressEvent::alarm_1), adr1 = adr0 + 3, adr2 = adr0 + 6;
  const int adr5_fault = address_row(5, AddressEvent::fault);
  EXPECT_EQ(field_plan_rows(matrix, 5, 304), (std::vector<int>{adr0, adr1, adr2}));
  EXPECT_EQ(field_plan_rows(matrix, 304, adr1), (std::vector<int>{adr1, adr2}));
  // Rows 0-3 may light lamps, but no bus frame reports them as an event.
  ConfigMatrix own_states = matrix;
  for (int row = 0; row <= 3; ++row) own_states.set(row, 7, LED_STEADY);
  EXPECT_EQ(field_plan_rows(own_states, 0, adr0), (std::vector<int>{adr0}));

  ProjectNames names;
  names.addresses[5] = "Kotłownia";
  WalkRecord begun = new_record("obiekt.zelp", matrix, names, field_plan_rows(matrix, 5, 304), "1.1.0", "", kSameModule, at(0));
  begun.header.kind = RecordKind::field;
  begun.header.unit = 1;
  const auto folder = path("obiekt.zelp-protokoly");
  {
    CommissioningRecord record(folder);
    ASSERT_EQ(record.begin(begun), "");
    EXPECT_NE(record.rate(adr0, Verdict::ok, "", at(1)), "");  // not reported yet
    const std::vector<std::tuple<int, int, Sighting>> reported{
        {adr0, 1, Sighting::planned},     {adr0, 1, Sighting::seen_before}, {adr1, 2, Sighting::other_unit},
        {adr5_fault, 1, Sighting::no_lamp}, {adr5_fault, 1, Sighting::no_lamp}, {adr1, 1, Sighting::planned},
        {address_row(9, AddressEvent::fault), 1, Sighting::no_lamp}};
    int minute = 2;
    for (const auto& [row, unit, sighting] : reported) {
      const auto seen = record.see(matrix, names, row, unit, at(minute++));
      EXPECT_EQ(seen.sighting, sighting) << row << " " << unit;
      EXPECT_EQ(seen.failure, "");
    }
    EXPECT_EQ(record.rate(adr0, Verdict::fault, "lampa 1 miga", at(20)), "");
    EXPECT_EQ(record.end(at(21)), "");
  }
  const JournalReading reading = load_walk_journal(folder);
  ASSERT_EQ(reading.records.size(), 1u);
  ASSERT_TRUE(reading.records[0].record) << reading.records[0].damage;
  const WalkRecord& field = *reading.records[0].record;
  EXPECT_TRUE(field.field());
  EXPECT_EQ(field.header.unit, 1);
  EXPECT_EQ(field.line(adr0)->seen, at(2));
  EXPECT_EQ(field.line(adr1)->unit, 1);
  EXPECT_EQ(field_state_text(*field.line(adr0)), std::string("Błąd"));
  EXPECT_EQ(field_state_text(*field.line(adr1)), std::string("widziano – bez oceny"));
  EXPECT_EQ(field_state_text(*field.line(adr2)), std::string("nie widziano"));
  EXPECT_EQ(field.findings, (std::vector<FieldFinding>{
                                {FindingKind::other_unit, adr1, 2, "adr 1. Alarm I", "", at(4)},
                                {FindingKind::no_lamp, adr5_fault, 1, "adr 5. Awaria", "Kotłownia", at(5)},
                                {FindingKind::no_lamp, address_row(9, AddressEvent::fault), 1, "adr 9. Awaria", "", at(8)}}));
  EXPECT_EQ(field_tally_text(field.summary()), "widziano 2 z 3, bez lampy 2, innej centrali 1");
  EXPECT_EQ(field_summary_text(field.summary()), "Widziano 2 z 3 zdarzeń planu, bez lampy: 2.");
  EXPECT_EQ(parse_walk_journal(journal_text(field)).records[0].record, field);
  EXPECT_NE(journal_text(field).find("\"finding\":\"bez lampy\",\"row\":22"), std::string::npos);
  WalkRecord again_seen = field;  // a planned event is seen once, a finding kept once
  EXPECT_FALSE(again_seen.see(adr0, 1, at(30)));
  EXPECT_TRUE(again_seen.see(adr2, 1, at(30)));
  EXPECT_FALSE(again_seen.find(field.findings[0]));

  CommissioningRecord again(folder);
  EXPECT_EQ(again.unfinished(sha256_hex(matrix.bytes()), true), nullptr);  // not a walk
  ASSERT_NE(again.unfinished(sha256_hex(matrix.bytes()), true, RecordKind::field), nullptr);
  EXPECT_EQ(again.unfinished(sha256_hex(matrix.bytes()), false, RecordKind::field)->next_row(false), adr2);
  // A version that knows only walks refuses the record rather than read it as one.
  EXPECT_NE(journal_start_line(field).find("\"format\":3"), std::string::npos);
}

// A journal that cannot be read is written to by no one, and a damaged
// newest record is not gone on with.
TEST_F(CommissioningRecordFile, NothingIsAppendedToWhatCannotBeReadWhole) {
  const auto journal = path("hala.jsonl");
  {
    CommissioningRecord record(journal);  // a journal named as a file holds its records one after the other
    ASSERT_EQ(record.begin(record_5_to_9()), "");
    EXPECT_EQ(record.rate(5, Verdict::ok, "", at(1)), "");
  }
  Bytes bytes = read_bytes(journal);
  const std::string bad = "{\"type\":\"verdict\"}\n";
  bytes.insert(bytes.end(), bad.begin(), bad.end());
  write_bytes(journal, bytes);
  CommissioningRecord damaged(journal);
  EXPECT_EQ(damaged.newest_damage(), "Błąd w dzienniku, wiersz 3: brak pola \"row\"");
  EXPECT_EQ(damaged.unfinished(sha(), true), nullptr);
  EXPECT_NE(damaged.resume(sha(), true, kSameModule, at(5)), "");
  EXPECT_EQ(read_bytes(journal), bytes);
  ASSERT_EQ(damaged.begin(record_5_to_9()), "");  // a new record beside it
  EXPECT_EQ(load_walk_journal(journal).records.size(), 2u);

  std::filesystem::create_directories(path("folder.jsonl"));
  CommissioningRecord folder_named_as_file(path("folder.jsonl"));
  EXPECT_NE(folder_named_as_file.begin(record_5_to_9()), "");
}

TEST(WalkProtocolCsv, OneLinePerVerdictOfAShownEventWithItsFieldsQuotedWhereTheyMustBe) {
  WalkRecord record = record_5_to_9();
  record.lines[0].name = "Hala A";
  record.lines[0].expected = "3 Hala A – ciągłe, 7 – szybkie miganie";
  record.take(6, Verdict::fault, "lampa \"7\"; miga", "2026-12-07T14:02:03+01:00");
  record.take(5, Verdict::ok, "", "2026-12-07T14:01:00+01:00");
  record.take(7, Verdict::not_rated, "", "2026-12-07T14:03:00+01:00");
  record.take(6, Verdict::ok, "po poprawce", "2026-12-07T14:20:00+01:00");
  record.take(6, Verdict::fault, "", "2026-12-07T14:21:00+01:00");
  EXPECT_EQ(walk_protocol_csv(record),
            "\xEF\xBB\xBF"
            "czas;wiersz;zdarzenie;nazwa;oczekiwane;ocena;uwagi\r\n"
            "2026-12-07 14:01:00;5;adr 0. Alarm I;Hala A;3 Hala A – ciągłe, 7 – szybkie miganie;OK;\r\n"
            "2026-12-07 14:02:03;6;adr 0. Alarm II;;nic;Błąd;\"lampa \"\"7\"\"; miga\"\r\n"
            "2026-12-07 14:20:00;6;adr 0. Alarm II;;nic;OK;po poprawce\r\n"
            "2026-12-07 14:21:00;6;adr 0. Alarm II;;nic;Błąd;\r\n"
            "2026-12-07 14:03:00;7;adr 0. Awaria;;nic;nie oceniono;\r\n");
  // Events checked by hand say so, with their comment.
  WalkRecord by_hand = new_record("hala.zelp", ConfigMatrix{}, {}, {1, 2}, "1.1.0", "Jan Kowalski", kSameModule,
                                  "2026-12-07T14:00:00+01:00");
  by_hand.take(1, Verdict::ok, "", "2026-12-07T14:01:00+01:00");
  by_hand.take(2, Verdict::fault, "nie gaśnie", "2026-12-07T14:02:00+01:00");
  EXPECT_EQ(walk_protocol_csv(by_hand),
            "\xEF\xBB\xBF"
            "czas;wiersz;zdarzenie;nazwa;oczekiwane;ocena;uwagi\r\n"
            "2026-12-07 14:01:00;1;Strata łączności;;nic;OK;sprawdzone ręcznie\r\n"
            "2026-12-07 14:02:00;2;Test wyjść;;nic;Błąd;sprawdzone ręcznie – nie gaśnie\r\n");
  EXPECT_EQ(readback_result_text(0), "Konfiguracja w module zgodna z plikiem.");
  EXPECT_EQ(readback_result_text(12), "Konfiguracja w module różni się w 12 komórkach!");
  EXPECT_EQ(readback_result_text(kNoValidConfiguration), "Moduł nie zawiera poprawnej konfiguracji!");
  EXPECT_EQ(readback_result_short_text(1), "różni się w 1 komórce");
  EXPECT_EQ(readback_result_text(kNotRead), "Nie sprawdzono konfiguracji w module.");
  EXPECT_EQ(readback_result_short_text(kNotRead), "nie sprawdzono");
  EXPECT_EQ(record_time_text("bez czasu"), "bez czasu");
}

}  // namespace
