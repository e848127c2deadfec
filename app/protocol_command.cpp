// SPDX-License-Identifier: MIT
#include "app/protocol_command.h"

#include <charconv>
#include <iostream>
#include <optional>

#include "commissioning/numbered_record.h"
#include "commissioning/walk_journal.h"
#include "gui/walk_protocol_pdf.h"
#include "text/utf8_path.h"

namespace {

struct ProtocolArguments {
  std::filesystem::path journal;
  std::filesystem::path pdf;
  int record = kNewestRecord;
  bool handover = false;
};

std::optional<int> record_number(const std::string& text) {
  int number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error != std::errc() || end != text.data() + text.size() || number < 1) return std::nullopt;
  return number;
}

// --protocol DZIENNIK PLIK.pdf, with --record N and --handover anywhere after --protocol.
std::optional<ProtocolArguments> parse_arguments(const std::vector<std::filesystem::path>& arguments) {
  if (arguments.empty() || arguments[0] != kProtocolOption) return std::nullopt;
  ProtocolArguments parsed;
  std::vector<std::filesystem::path> files;
  bool numbered = false;
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    if (arguments[i] == kHandoverOption) {
      if (parsed.handover) return std::nullopt;
      parsed.handover = true;
      continue;
    }
    if (arguments[i] != kRecordOption) {
      files.push_back(arguments[i]);
      continue;
    }
    const std::optional<int> number = ++i < arguments.size() ? record_number(path_utf8(arguments[i])) : std::nullopt;
    if (!number || numbered) return std::nullopt;
    parsed.record = *number;
    numbered = true;
  }
  if (files.size() != 2) return std::nullopt;
  parsed.journal = files[0];
  parsed.pdf = files[1];
  return parsed;
}

}  // namespace

int write_protocol_from_command_line(const std::vector<std::filesystem::path>& arguments) {
  const std::optional<ProtocolArguments> parsed = parse_arguments(arguments);
  if (!parsed) {
    std::cerr << kProtocolUsage << std::endl;
    return 64;
  }
  const JournalReading reading = load_walk_journal(parsed->journal);
  const NumberedRecord chosen =
      reading.ok ? numbered_record(parsed->journal, reading, parsed->record) : NumberedRecord{nullptr, reading.reason};
  if (!chosen.stored) {
    // The newest one damaged: the others may still be printed.
    const bool others = parsed->record == kNewestRecord && reading.records.size() > 1;
    std::cerr << "BŁĄD: nie można odczytać dziennika \"" << path_utf8(parsed->journal) << "\": " << chosen.why
              << (others ? " (pozostałe: --record N)" : "") << std::endl;
    return 66;
  }
  const WalkRecord& record = *chosen.stored->record;
  const StoredRecord* other = parsed->handover ? handover_partner(reading, record) : nullptr;
  if (parsed->handover && other == nullptr) {
    std::cerr << "BŁĄD: " << (record.field() ? kNoWalkForHandover : kNoFieldTestForHandover) << std::endl;
    return 66;
  }
  const QString pdf = QString::fromStdString(path_utf8(parsed->pdf));
  QString error;
  if (!(other ? export_handover_protocol_pdf(pdf, record, *other->record, &error)
              : export_walk_protocol_pdf(pdf, record, &error))) {
    std::cerr << "BŁĄD: nie udało się zapisać protokołu: " << error.toStdString() << std::endl;
    return 73;
  }
  return 0;
}
