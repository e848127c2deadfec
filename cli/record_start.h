// SPDX-License-Identifier: MIT
#pragma once
// What `walk --confirm` and `field` do alike before their first event: the
// module read back and compared with PLIK (a module holding another table
// proves nothing, so it ends the run unless --force), then the job's
// CommissioningRecord begun, or an unfinished record of the same table
// resumed when the engineer wants to; and the comment typed after "Błąd".

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "cli/module_commands.h"
#include "commissioning/walk_record.h"

class TerminalKeys;
class USB_protocol;

// Reads the module back into `module`; a result to end the run with when the
// read-back failed, the module holds no valid table, or (without --force)
// another table; `not_begun` says what was not begun ("test po kolei nie
// został rozpoczęty"). The read-back's result stays above the questions.
std::optional<ModuleResult> check_module_for_record(USB_protocol& protocol, const ModuleJob& job,
                                                    const char* not_begun, ModuleReading& module);

// Return, 't' or 'n'; nothing after Ctrl+C. Without a terminal to answer
// on, the default: yes.
std::optional<bool> ask_yes_no(TerminalKeys& keys);

// Where the run stands with its record.
struct RecordStart {
  bool interrupted = false;
  bool resumed = false;
  std::string failure;  // why the record could not be begun or resumed, UTF-8
};

// What the run may go on with: the newest record of this table, when it is
// unfinished and fits the run, and the question that offers it.
struct RecordOffer {
  const WalkRecord* unfinished = nullptr;
  std::string question;  // "...? [T/n] "
  bool with_verdicts = true;
  RecordKind kind = RecordKind::walk;
};

// Says why a damaged newest record is not gone on with; resumes `offer`'s
// record when the engineer says so, else begins `fresh()`.
RecordStart begin_or_resume(const ModuleJob& job, TerminalKeys& keys, const ModuleReading& module,
                            const RecordOffer& offer, const std::function<WalkRecord()>& fresh);

// A new record of the job's file over `rows`, as begun now.
WalkRecord fresh_record(const ModuleJob& job, const ModuleReading& module, const std::vector<int>& rows);

// A comment typed key by key and echoed; Return ends it, Backspace takes
// back one character (UTF-8 aware), other control keys type nothing.
class TypedLine {
 public:
  explicit TypedLine(std::ostream& echo) : echo_(echo) {}
  // Takes the text of one key press (or a paste); true once Return ended the line.
  bool take(std::string_view input);
  const std::string& text() const { return text_; }

 private:
  std::ostream& echo_;
  std::string text_;
};
