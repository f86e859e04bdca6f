#include "exchange/import_batch.h"

#include <utility>

namespace varkel {

namespace {

// Far below every server's own limit on a statement (MariaDB's smallest packet is 1 MB), so a
// batch never fails for its size alone; a longer line still goes alone, as it always did.
constexpr qsizetype kBatchChars = 256 * 1024;

const QString kSavepoint = QStringLiteral("varkel_import");

}  // namespace

bool ImportBatch::fits(qsizetype maxLines) const {
    return lines_.size() < maxLines && chars_ < kBatchChars;
}

void ImportBatch::add(Line line) {
    chars_ += line.values.size() + 1;
    lines_.append(std::move(line));
}

QString ImportBatch::statement(const QString& head) const {
    QString sql;
    sql.reserve(head.size() + 8 + chars_);
    sql += head;
    sql += QStringLiteral(" VALUES");
    for (qsizetype i = 0; i < lines_.size(); ++i) {
        if (i > 0) sql += u',';
        sql += lines_[i].values;
    }
    return sql;
}

QList<ImportBatch::Line> ImportBatch::take() {
    chars_ = 0;
    return std::exchange(lines_, {});
}

QString ImportSavepointText() {
    return QStringLiteral("SAVEPOINT ") + kSavepoint;
}

QString ImportRollbackToSavepointText() {
    return QStringLiteral("ROLLBACK TO SAVEPOINT ") + kSavepoint;
}

QString ImportReleaseSavepointText() {
    return QStringLiteral("RELEASE SAVEPOINT ") + kSavepoint;
}

}  // namespace varkel
