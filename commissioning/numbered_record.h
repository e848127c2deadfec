// SPDX-License-Identifier: MIT
#pragma once
// A record named by its number in a journal, as the protocol's commands take
// it: 1 the oldest, each next one more, the newest when none is given.

#include <filesystem>
#include <string>

#include "commissioning/walk_journal.h"

inline constexpr int kNewestRecord = 0;

struct NumberedRecord {
  const StoredRecord* stored = nullptr;  // read whole; null when `why` says why not
  std::string why;                       // UTF-8: "dziennik jest pusty", "protokół 2 jest uszkodzony: ..."
};

// Of `reading`, the journal `journal` read; it must stay as it is while the result is used.
NumberedRecord numbered_record(const std::filesystem::path& journal, const JournalReading& reading,
                               int number = kNewestRecord);

// What a handover document prints beside `chosen`: the newest record of
// `reading` that was read whole, is of the other kind (a walk's field test,
// a field test's walk) and checked the same table (its SHA-256); null when
// there is none.
const StoredRecord* handover_partner(const JournalReading& reading, const WalkRecord& chosen);
