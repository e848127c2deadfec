// SPDX-License-Identifier: MIT
#pragma once
// The walk's protocol as a spreadsheet table, like the tool's other tables:
// UTF-8 with a byte order mark, ';' between fields, CR LF line ends. The
// header "czas;wiersz;zdarzenie;nazwa;oczekiwane;ocena;uwagi", then one line
// per shown event in the walk's order, its last verdict; the verdicts given
// before it stand just above it, a line each, oldest first. An event checked
// by hand has "sprawdzone ręcznie" in its remarks. A field holding ';', a
// double quote or a line end (a comment, a name) is put in double quotes,
// its quotes doubled, as the tool's table reader takes them.
//
// A field test's protocol has its own header,
// "wiersz;zdarzenie;nazwa;oczekiwane;stan;ocena;uwagi;czas oceny;widziano;centrala":
// a line per planned event, seen or not ("nie widziano"), with its state,
// its last verdict and when the bus first reported it from which unit (its
// earlier verdicts on lines of their own above it); then a line per event
// the bus reported beyond the plan, its state "bez lampy" or "inna centrala".

#include <filesystem>
#include <string>

#include "commissioning/walk_record.h"
#include "config/file_result.h"

std::string walk_protocol_csv(const WalkRecord& record);
// Saved whole or not at all.
FileResult save_walk_protocol_csv(const std::filesystem::path& path, const WalkRecord& record);
