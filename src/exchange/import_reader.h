#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QList>
#include <QString>
#include <cstdint>

namespace varkel {

// What identifies the content of a file on disk: a rewrite or a truncation changes it.
struct FileState {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = -1;
    std::int64_t modifiedNs = 0;
    std::int64_t changedNs = 0;  // also moves when a writer puts the old modification time back
    bool operator==(const FileState&) const = default;
};

// Reads an import file line by line with plain reads, a piece at a time, so that a file cut
// short or rewritten while it is read gives an answer, never a fault, and a file far larger than
// memory can be read. A line ends as the first line end of the file says: CR (alone or before LF)
// makes CR LF and a lone CR the line ends and leaves a lone LF inside a line; LF makes LF the line
// end and leaves a stray CR inside a value. A UTF-8 byte order mark at the start is not part of
// the first line.
class ImportReader {
  public:
    enum class Next { Line, End, Changed, Failed };

    // False when the file cannot be opened for reading.
    bool open(const QString& path, qsizetype pieceBytes = 1 << 20);
    // The next line without its line end, valid until the next call. Changed when the file is no
    // longer what was opened (cut short, grown, rewritten); Failed on a read error.
    Next next(QByteArrayView& line);
    // The line end that came before the line `next` returned last ("\n", "\r\n" or "\r"):
    // a record whose quoted value spans lines gets its line breaks back from it.
    QByteArrayView endBefore() const { return endBefore_; }
    // Whether the file on disk is still what was opened: checked by the import before each line.
    bool unchanged() const;
    const FileState& state() const { return state_; }
    QString errorString() const { return file_.errorString(); }

  private:
    enum class Ends { Unknown, Lf, Cr };
    Next fill();

    QFile file_;
    FileState state_;
    QByteArray buffer_;
    qsizetype begin_ = 0;  // the unread part of the buffer is [begin_, end_)
    qsizetype end_ = 0;
    qsizetype scanned_ = 0;  // bytes of the unread part already searched for a line end
    qsizetype piece_ = 1 << 20;
    std::int64_t read_ = 0;
    bool regular_ = true;
    bool eof_ = false;
    bool started_ = false;  // the byte order mark was looked at
    bool skipLf_ = false;   // the last line ended at a CR that was the last byte read
    Ends ends_ = Ends::Unknown;
    QByteArrayView lastEnd_;  // the end of the line returned last, as far as it is known
    QByteArrayView endBefore_;
};

class CodePageCheck;

// What a preview learnt of an import file by reading it through once.
struct ImportScan {
    enum class Outcome { Read, Missing, Invalid, Changed, Failed };
    Outcome outcome = Outcome::Missing;
    qsizetype lines = 0;
    qsizetype firstInvalid = 0;  // the number of the first line the code page does not hold
    // The beginnings of the first lines: the line's first headBytes bytes and a few more, so
    // that a cut can fall between whole characters; `cut` tells which were longer.
    QList<QByteArray> head;
    QList<bool> cut;
    FileState state;
    QString error;
};

// Reads the file through: counts its lines, keeps the beginnings of the first headLines and
// stops at the first line that is not valid in the code page of `check`.
ImportScan ScanImportFile(const QString& path, CodePageCheck& check, int headLines,
                          qsizetype headBytes);

}  // namespace varkel
