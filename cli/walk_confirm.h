// SPDX-License-Identifier: MIT
#pragma once
// `zel17-cli walk --confirm PLIK`: the walk with a verdict for every event,
// driving the job's CommissioningRecord. Before the first event the module
// is checked (its table read back and compared with PLIK's, its greeting,
// its USB identity); with differences the walk does not start unless
// --force. Each event waits on the terminal for its verdict, which is in
// the record on the disk before the walk goes on; an unfinished record of
// the same table is offered to go on with, at its first event without a
// verdict, in a session of its own.

#include <string_view>

#include "cli/module_commands.h"

class USB_protocol;

ModuleResult walk_with_verdicts(USB_protocol& protocol, const ModuleJob& job);

// What a key stands for while the walk waits for a verdict.
enum class VerdictKey { none, ok, fault, back, next, quit };
VerdictKey decode_verdict_key(std::string_view input);
