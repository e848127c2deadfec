// SPDX-License-Identifier: MIT
#include "app/guide_command.h"

#include <QString>
#include <iostream>

#include "gui/guide_document.h"
#include "text/utf8_path.h"

int write_guide_pdf_from_command_line(const std::vector<std::filesystem::path>& arguments) {
  if (arguments.size() != 2 || arguments[0] != kGuidePdfOption) {
    std::cerr << "Użycie: zel17 --guide-pdf PLIK.pdf" << std::endl;
    return 64;
  }
  QString error;
  if (!save_guide_pdf(QString::fromStdString(path_utf8(arguments[1])), &error)) {
    std::cerr << "BŁĄD: nie udało się zapisać podręcznika: " << error.toStdString() << std::endl;
    return 73;
  }
  return 0;
}
