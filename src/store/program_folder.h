#pragma once

#include <QString>

namespace varkel {

// The folder of the program's own files ("VARKEL.INI", the history, templates, keywords and the
// editor's work file), ending in "/": VARKEL_HOME when set; else the executable's folder when
// the program runs from a folder of its own that it can write (the build, a portable copy);
// else, for an installed copy, the user's data folder ($XDG_DATA_HOME/varkel, else
// ~/.local/share/varkel).
QString ProgramFolder();

// Where the files shipped with the program are (the keyword list, the help pages), ending in
// "/": beside the executable, or share/varkel of an installed copy.
QString ShippedFolder();

// Creates the user's data folder of an installed copy, owner-only, and puts the shipped keyword
// list there when it has none. Called once at start-up; false when the folder cannot be made.
bool PrepareProgramFolder();

}  // namespace varkel
