#pragma once

#include <QIcon>
#include <QString>

namespace varkel {

// The images of the toolbar buttons and of the tree, by name ("connect", "go", "table", …).
QIcon ToolIcon(const QString& name);

}  // namespace varkel
