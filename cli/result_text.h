// SPDX-License-Identifier: MIT
#pragma once
// The texts zel17-cli prints about a module: which command it did not
// accept, a differing cell as a line for scripts, and the lines of --repeat.

#include <string>
#include <string_view>

#include "commissioning/walk_journal.h"
#include "commissioning/walk_record.h"
#include "config/config_readback.h"
#include "config/project_names.h"
#include "protocol/failed_command.h"


// A text as one field of a tab-separated line: a tab or a line end in it
// would split it, so each becomes a space.
std::string one_field(std::string text);

// One differing cell, tab-separated: row, label, output (1-25), mode in the
// file, mode in the module; with a project's names, the address's name last.
std::string difference_row(const CellDifference& difference, const ProjectNames* names = nullptr);

// One rated event of the walk, tab-separated: row, label, verdict, the
// comment when there is one. With a project's names the comment's field is
// always there, so that the address's name is always the last and the fifth.
std::string verdict_row(const RecordLine& line, const ProjectNames* names = nullptr);

// A record of a journal as `protocol --list` shows it, tab-separated: its
// number, when it began, who checked, the tally of its verdicts (a field
// test's: what was seen, then the verdicts), its kind ("test po kolei",
// "próba z obiektu"); a damaged one: its number and why it cannot be read.
std::string record_list_line(int number, const StoredRecord& stored);

// "3: OK (zapisano i zweryfikowano)"
std::string repeat_line(int number, std::string_view summary);

// The closing count of --repeat.
std::string closing_count(int modules, int succeeded);
