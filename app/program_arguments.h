#pragma once
// The program's own command line after its name, exactly as the user gave
// it: one file per OS.

#include <QStringList>

QStringList arguments_after_program_name(int argc, char** argv);
