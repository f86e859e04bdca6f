#pragma once

#include <QIcon>

namespace varkel {

// The program's icon, in every size it is shipped in.
QIcon ProgramIcon();

}  // namespace varkel
