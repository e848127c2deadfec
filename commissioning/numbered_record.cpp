// SPDX-License-Identifier: MIT
#include "commissioning/numbered_record.h"

NumberedRecord numbered_record(const std::filesystem::path& journal, const JournalReading& reading, int number) {
  const int count = static_cast<int>(reading.records.size());
  std::error_code error;
  if (count == 0)
    return {nullptr, std::filesystem::exists(journal, error) ? "dziennik jest pusty" : "nie ma takiego pliku ani folderu"};
  if (number == kNewestRecord) number = count;
  if (number < 1 || number > count)
    return {nullptr, "nie ma w nim protokołu " + std::to_string(number) + " (protokoły: 1-" + std::to_string(count) + ")"};
  const StoredRecord& stored = reading.records[static_cast<std::size_t>(number - 1)];
  if (!stored.record) return {nullptr, "protokół " + std::to_string(number) + " jest uszkodzony: " + stored.damage};
  return {&stored, {}};
}

const StoredRecord* handover_partner(const JournalReading& reading, const WalkRecord& chosen) {
  for (auto stored = reading.records.rbegin(); stored != reading.records.rend(); ++stored) {
    if (stored->record && stored->record->field() != chosen.field() &&
        stored->record->header.sha256 == chosen.header.sha256)
      return &*stored;
  }
  return nullptr;
}
