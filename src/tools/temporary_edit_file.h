#pragma once

#include <QLockFile>
#include <QString>
#include <optional>

namespace varkel {

// The work file through which the SQL box is edited: "SQL(temporary edit).sql" in the program
// folder, kept between runs. While another running copy of the program edits through it, this
// one uses a file of its own named with its process id and removes it afterwards.
class TemporaryEditFile {
  public:
    explicit TemporaryEditFile(const QString& folder);
    ~TemporaryEditFile();
    TemporaryEditFile(const TemporaryEditFile&) = delete;
    TemporaryEditFile& operator=(const TemporaryEditFile&) = delete;

    const QString& path() const { return path_; }

    // Replaces the file's content with the text in the system code page, owner-only; on
    // failure errorNumber and errorText say why.
    bool write(const QString& text);
    // The whole file in the system code page; nothing when it cannot be read. `valid`, when
    // given, tells whether every byte was a character of the code page.
    std::optional<QString> read(bool* valid = nullptr) const;

    int errorNumber() const { return errorNumber_; }
    const QString& errorText() const { return errorText_; }

  private:
    QLockFile lock_;
    bool shared_ = false;  // the common name, kept afterwards
    QString path_;
    int errorNumber_ = 0;
    QString errorText_;
};

}  // namespace varkel
