// SPDX-License-Identifier: MIT
#pragma once
// What a failed command says to the user: the window's long operations and
// zel17-cli name the command the module did not take.

#include <string>

#include "protocol/usb_frame.h"
#include "protocol/usb_protocol.h"

// What went wrong with `request`, by cause: "moduł nie przyjął polecenia
// Write_flash_block (strona 2, blok 7)" (refused or answered wrongly),
// "moduł nie odpowiedział na polecenie ..." (no answer in time), "moduł
// został odłączony podczas polecenia ..." (gone).
std::string failed_command_text(const UsbFrame& request,
                                CommandFailure cause = CommandFailure::refused);

// Why the last command of `protocol` was not accepted, as above; empty when
// it was accepted.
std::string last_failure_text(const USB_protocol& protocol);

// Why no connection was made: no module, or a module that was found but
// could not be opened (on Linux almost always the missing udev rule).
std::string connect_failure_text(bool module_found);
