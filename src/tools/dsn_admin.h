#pragma once

#include <QString>

class QWidget;

namespace varkel {

class FrmEditor;

// The file of the user's own data sources: $ODBCINI, else ~/.odbc.ini (never the system's).
QString UserDataSourceFile();

// Starts a graphical ODBC administrator when one is installed; else opens the user's data
// source file in the external editor, or with the desktop; else says which file to edit.
void KickDsnAdmin(QWidget* owner, FrmEditor& editor, const QString& baseTitle);

}  // namespace varkel
