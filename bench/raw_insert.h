#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The baseline of the import: a plain C loop of SQLExecDirect over the given statements on one
// statement handle of its own connection, committing every `interval` rows and at the end.
// Returns the rows inserted, or -1 when the connection fails.
long RawInsert(const QString& connectString, const QList<QByteArray>& statements, int interval);
