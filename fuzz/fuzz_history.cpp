// The history and template file format: whatever the text, reading it and writing the records
// back gives the same records, and a record appended after any ending is a record of its own
// while every earlier record stays as it was.
#include "fuzz_check.h"
#include "store/sql_history.h"

using namespace varkel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = FuzzText(data, size);
    const RecordFile file = ParseRecordFile(text);
    for (const QString& record : file.records)
        FUZZ_CHECK(!record.isEmpty() && !record.contains(file.lineEnd + u'/' + file.lineEnd));

    // Saved back (as the trim and the template save do), the same records.
    const RecordFile again = ParseRecordFile(RecordFileText(file.records, file.lineEnd));
    FUZZ_CHECK(again.records == file.records && !again.unreadTail);
    if (!file.records.isEmpty()) FUZZ_CHECK(again.lineEnd == file.lineEnd);

    // An append after the file as it stands (its end repaired first) adds exactly one record.
    if (file.unreadTail) return 0;
    const ClassSQL added{QStringLiteral("24/01/01 00:00:00 DSN=x;"),
                         StorableStatement(text.right(40))};
    // The end alone, where it tells, says what the whole text says.
    const std::optional<QString> repair = TerminatorRepair(text.right(16), file.lineEnd);
    if (repair) FUZZ_CHECK(*repair == file.missing);
    const QString appended = text + file.missing + HistoryRecordText(added, file.lineEnd);
    const RecordFile grown = ParseRecordFile(appended);
    FUZZ_CHECK(grown.records.size() == file.records.size() + 1);
    FUZZ_CHECK(grown.records.mid(0, file.records.size()) == file.records);
    const ClassSQL back = ParseHistoryRecord(grown.records.last(), grown.lineEnd);
    FUZZ_CHECK(back.SQLhead == added.SQLhead);
    // The statement itself reads back unless its line ends had to follow an LF-only file.
    if (file.lineEnd == QStringLiteral("\r\n")) FUZZ_CHECK(back.SQLstmt == added.SQLstmt);
    return 0;
}
