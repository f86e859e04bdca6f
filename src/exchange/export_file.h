#pragma once

#include <QByteArray>
#include <QString>

namespace varkel {

// An export's output file. The bytes go to a temporary file beside the target, which replaces
// the target only when everything was written: a failed export leaves an earlier file as it
// was. A symbolic link is followed: the file it points to is replaced and the link stays. A
// target that is not a regular file (a device, a pipe) is written directly, since it cannot be
// replaced; so is a file with several hard links, and a writable file in a folder that refuses
// new files (a failure then leaves that file cut short, and says so).
class ExportFile {
  public:
    explicit ExportFile(const QString& path);
    // Without commit() the temporary file is removed and the target stays untouched.
    ~ExportFile();
    ExportFile(const ExportFile&) = delete;
    ExportFile& operator=(const ExportFile&) = delete;

    bool open();
    // Where the bytes go until commit(), for writers that open the file by name themselves.
    QString writePath();
    // Buffered; false once anything failed (the first failure is kept).
    bool write(const QByteArray& bytes);
    // Writes what is buffered, closes and puts the file in place of the target.
    bool commit();

    bool failed() const { return errorNumber_ != 0; }
    // The target itself is written (several names, a folder that refuses new files): an earlier
    // content cannot be kept.
    bool writesInPlace() const { return direct_; }
    int errorNumber() const { return errorNumber_; }
    QString errorDescription() const;
    // "書込みに失敗しました。" CR LF "Error:" number " " description.
    QString failureText() const;

  private:
    bool flush();
    void fail(int error);
    void closeFile();
    bool openInPlace(bool truncate);

    QByteArray target_, temp_;
    QByteArray buffer_;
    qint64 written_ = 0;
    int fd_ = -1;
    bool direct_ = false;
    bool inPlaceResize_ = false;  // a regular file written in place: cut to its new length
    bool byName_ = false;         // another writer opened writePath() itself
    bool committed_ = false;
    int errorNumber_ = 0;
};

}  // namespace varkel
