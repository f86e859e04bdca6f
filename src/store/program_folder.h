#pragma once

#include <QString>

namespace varkel {

// The folder of the program's files ("VARKEL.INI", the history, templates and keywords), ending
// in "/": the executable's folder, or VARKEL_HOME when that is set (tests, installed copies).
QString ProgramFolder();

}  // namespace varkel
