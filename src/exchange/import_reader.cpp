#include "exchange/import_reader.h"

#include <sys/stat.h>

#include <cstring>

#include "store/code_page_check.h"

namespace varkel {

namespace {

constexpr char kBom[] = "\xEF\xBB\xBF";

FileState StateOf(const struct stat& st) {
    return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
            static_cast<std::int64_t>(st.st_size),
            static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
            static_cast<std::int64_t>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec};
}

}  // namespace

FileState StateOfFile(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return {};
    return StateOf(st);
}

bool ImportReader::open(const QString& path, qsizetype pieceBytes) {
    file_.close();
    file_.setFileName(path);
    buffer_.clear();
    begin_ = end_ = scanned_ = 0;
    piece_ = qMax<qsizetype>(pieceBytes, 1);
    read_ = 0;
    eof_ = started_ = skipLf_ = false;
    ends_ = Ends::Unknown;
    state_ = {};
    if (!file_.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) return false;
    struct stat st {};
    if (::fstat(file_.handle(), &st) != 0) return false;
    state_ = StateOf(st);
    regular_ = S_ISREG(st.st_mode);
    return true;
}

bool ImportReader::unchanged() const {
    if (!regular_) return file_.isOpen();
    struct stat st {};
    return file_.isOpen() && ::fstat(file_.handle(), &st) == 0 && StateOf(st) == state_;
}

// Reads the next piece behind the unread bytes: Line when it could.
ImportReader::Next ImportReader::fill() {
    if (begin_ > 0) {
        std::memmove(buffer_.data(), buffer_.constData() + begin_,
                     static_cast<size_t>(end_ - begin_));
        end_ -= begin_;
        begin_ = 0;
    }
    if (buffer_.size() - end_ < piece_) buffer_.resize(qMax(end_ + piece_, buffer_.size() * 2));
    const qint64 n = file_.read(buffer_.data() + end_, piece_);
    if (n < 0) return Next::Failed;
    if (n == 0) eof_ = true;
    end_ += static_cast<qsizetype>(n);
    read_ += n;
    // Cut short, grown or written over while it is read: what was read is no longer the file.
    // A pipe or a special file has no size to hold it to.
    if (regular_ && (read_ > state_.size || (eof_ && read_ != state_.size) || !unchanged()))
        return Next::Changed;
    return Next::Line;
}

ImportReader::Next ImportReader::next(QByteArrayView& line) {
    for (;;) {
        if (!started_) {
            if (end_ - begin_ < 3 && !eof_) {
                if (const Next got = fill(); got != Next::Line) return got;
                continue;
            }
            if (QByteArrayView(buffer_.constData() + begin_, end_ - begin_)
                    .startsWith(QByteArrayView(kBom, 3)))
                begin_ += 3;
            started_ = true;
        }
        if (skipLf_) {
            if (begin_ == end_ && !eof_) {
                if (const Next got = fill(); got != Next::Line) return got;
                continue;
            }
            if (begin_ < end_ && buffer_[begin_] == '\n') {
                ++begin_;
                lastEnd_ = "\r\n";
            }
            skipLf_ = false;
        }
        const char* data = buffer_.constData();
        const qsizetype from = begin_ + scanned_;
        qsizetype at = -1;
        if (ends_ == Ends::Unknown) {
            const auto size = static_cast<size_t>(end_ - from);
            const void* cr = std::memchr(data + from, '\r', size);
            const void* lf = std::memchr(
                data + from, '\n',
                cr ? static_cast<size_t>(static_cast<const char*>(cr) - (data + from)) : size);
            if (lf || cr) {
                ends_ = lf ? Ends::Lf : Ends::Cr;
                at = static_cast<const char*>(lf ? lf : cr) - data;
            }
        } else {
            const char wanted = ends_ == Ends::Lf ? '\n' : '\r';
            if (const void* found =
                    std::memchr(data + from, wanted, static_cast<size_t>(end_ - from)))
                at = static_cast<const char*>(found) - data;
        }
        if (at >= 0) {
            line = QByteArrayView(data + begin_, at - begin_);
            begin_ = at + 1;
            scanned_ = 0;
            endBefore_ = lastEnd_;
            lastEnd_ = ends_ == Ends::Lf ? "\n" : "\r";
            if (ends_ == Ends::Cr) {
                if (begin_ < end_) {
                    if (data[begin_] == '\n') {
                        ++begin_;
                        lastEnd_ = "\r\n";
                    }
                } else {
                    skipLf_ = true;  // the LF, if any, comes with the next piece
                }
            }
            return Next::Line;
        }
        scanned_ = end_ - begin_;
        if (eof_) {
            if (begin_ == end_) return Next::End;
            endBefore_ = lastEnd_;
            lastEnd_ = {};
            line = QByteArrayView(data + begin_, end_ - begin_);
            begin_ = end_;
            scanned_ = 0;
            return Next::Line;
        }
        if (const Next got = fill(); got != Next::Line) return got;
    }
}

ImportScan ScanImportFile(const QString& path, CodePageCheck& check, int headLines,
                          qsizetype headBytes) {
    ImportScan scan;
    ImportReader reader;
    if (!reader.open(path)) return scan;
    scan.state = reader.state();
    QByteArrayView line;
    for (;;) {
        const ImportReader::Next got = reader.next(line);
        if (got == ImportReader::Next::End) break;
        if (got != ImportReader::Next::Line) {
            scan.outcome = got == ImportReader::Next::Changed ? ImportScan::Outcome::Changed
                                                              : ImportScan::Outcome::Failed;
            scan.error = reader.errorString();
            return scan;
        }
        ++scan.lines;
        if (!check.valid(line)) {
            scan.outcome = ImportScan::Outcome::Invalid;
            scan.firstInvalid = scan.lines;
            return scan;
        }
        if (scan.head.size() < headLines) {
            scan.head.append(line.first(qMin(line.size(), headBytes + 8)).toByteArray());
            scan.cut.append(line.size() > headBytes);
        }
    }
    scan.outcome = ImportScan::Outcome::Read;
    return scan;
}

}  // namespace varkel
