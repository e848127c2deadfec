#pragma once
// What a failed command says to the user: the window's long operations and
// zel17-cli name the command the module did not take.

#include <string>

#include "protocol/usb_frame.h"

// "moduł nie przyjął polecenia Write_flash_block (strona 2, blok 7)", from
// the request the module did not answer, refused or answered wrongly.
std::string failed_command_text(const UsbFrame& request);
