#pragma once

#include <QByteArray>
#include <QString>

namespace varkel {

// An export's output file. The bytes go to a temporary file beside the target, which replaces
// the target only when everything was written: a failed export leaves an earlier file as it
// was. A target that is not a regular file (a device, a pipe) is written directly, since it
// cannot be replaced.
class ExportFile {
  public:
    explicit ExportFile(const QString& path);
    // Without commit() the temporary file is removed and the target stays untouched.
    ~ExportFile();
    ExportFile(const ExportFile&) = delete;
    ExportFile& operator=(const ExportFile&) = delete;

    bool open();
    // Where the bytes go until commit(), for writers that open the file by name themselves.
    QString writePath() const;
    // Buffered; false once anything failed (the first failure is kept).
    bool write(const QByteArray& bytes);
    // Writes what is buffered, closes and puts the file in place of the target.
    bool commit();

    bool failed() const { return errorNumber_ != 0; }
    int errorNumber() const { return errorNumber_; }
    QString errorDescription() const;
    // "書込みに失敗しました。" CR LF "Error:" number " " description.
    QString failureText() const;

  private:
    bool flush();
    void fail(int error);
    void closeFile();

    QString path_;
    QByteArray target_, temp_;
    QByteArray buffer_;
    int fd_ = -1;
    bool direct_ = false;
    bool committed_ = false;
    int errorNumber_ = 0;
};

}  // namespace varkel
