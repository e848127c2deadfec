// SPDX-License-Identifier: MIT
#include "app/protocol_command.h"

#include <iostream>

#include "commissioning/walk_journal.h"
#include "gui/walk_protocol_pdf.h"
#include "text/utf8_path.h"

int write_protocol_from_command_line(const std::vector<std::filesystem::path>& arguments) {
  if (arguments.size() != 3 || arguments[0] != kProtocolOption) {
    std::cerr << "Użycie: zel17 --protocol DZIENNIK PLIK.pdf" << std::endl;
    return 64;
  }
  const JournalReading reading = load_walk_journal(arguments[1]);
  if (!reading.ok || !reading.record) {
    std::cerr << "BŁĄD: nie można odczytać dziennika: " << (reading.ok ? "dziennik jest pusty" : reading.reason)
              << std::endl;
    return 66;
  }
  QString error;
  if (!export_walk_protocol_pdf(QString::fromStdString(path_utf8(arguments[2])), *reading.record, &error)) {
    std::cerr << "BŁĄD: nie udało się zapisać protokołu: " << error.toStdString() << std::endl;
    return 73;
  }
  return 0;
}
