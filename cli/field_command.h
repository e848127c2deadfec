// SPDX-License-Identifier: MIT
#pragma once
// `zel17-cli field PLIK`: the field test. Detectors are set off in the
// building; the tool listens to the bus as the monitor does and ticks off
// each planned event the bus reports in the job's CommissioningRecord (read
// back and begun or resumed as for `walk --confirm`). One tab-separated
// line per event that begins on the bus: time, control unit, row, event,
// what it must light ("nic" when nothing). At the end (Ctrl+C, --for, q)
// the coverage and one line per planned event not seen. On a terminal the
// last event seen takes a verdict by keys.

#include <string>

#include "cli/module_commands.h"
#include "commissioning/walk_record.h"

class USB_protocol;

ModuleResult field_test(USB_protocol& protocol, const ModuleJob& job);

// A planned event the bus did not report, tab-separated: "nie widziano",
// row, event, the address's name.
std::string not_seen_line(const RecordLine& line);
