#pragma once

#include <QString>

// The baseline: a plain C loop over SQLExtendedFetch with 256-row column-wise binding and no
// conversion, on its own connection. Returns the rows read, or -1 on failure.
long RawBlockFetch(const QString& connectString, const QString& sql);
