// SPDX-License-Identifier: MIT
#pragma once
// `zel17-cli walk`: the walk test on one connection. Each row of the plan
// is handed to the module as its event's bus frame, a line "row<TAB>label"
// goes to the results as soon as the module took it, and the walk waits the
// dwell time, or for a key on a terminal. It ends with the frame without
// events, also on q and on Ctrl+C while the module still answers.

#include "cli/module_commands.h"

class USB_protocol;

ModuleResult walk_events(USB_protocol& protocol, const ModuleJob& job);
