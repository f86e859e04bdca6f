#pragma once

#include <QByteArray>
#include <QString>

namespace varkel {

// Converts between the program's text and the 8-bit code page that files and the ODBC driver
// manager use. It owns two iconv descriptors, so it is moved, never copied or shared.
class CodePage {
  public:
    explicit CodePage(const QByteArray& name);
    ~CodePage();
    CodePage(const CodePage&) = delete;
    CodePage& operator=(const CodePage&) = delete;
    CodePage(CodePage&& other) noexcept;
    CodePage& operator=(CodePage&& other) noexcept;

    // VARKEL_CODEPAGE when set, else the locale's code set; UTF-8 where that is plain ASCII
    // (the C locale), since ASCII cannot hold the Japanese the program shows.
    static QByteArray systemName();

    const QByteArray& name() const { return name_; }
    bool isUtf8() const { return utf8_; }

    // Characters the code page cannot hold become '?'.
    QByteArray encode(const QString& text) const;
    // Invalid bytes become U+FFFD; an incomplete character at the end is dropped.
    QString decode(const char* data, qsizetype length) const;
    QString decode(const QByteArray& bytes) const {
        return decode(bytes.constData(), bytes.size());
    }
    // The same into `out`, reusing its buffer where it can: reading a large result converts
    // millions of short values, and most of them are plain ASCII.
    void decodeInto(QString& out, const char* data, qsizetype length) const;
    // The longest run of whole characters from the front that fits in maxBytes, so that a cut at
    // a byte limit never splits a double-byte character.
    qsizetype wholeCharacterPrefix(const char* data, qsizetype length, qsizetype maxBytes) const;

  private:
    QByteArray name_;
    bool utf8_ = false;
    void* toUnicode_ = nullptr;    // iconv_t: code page -> UTF-8
    void* fromUnicode_ = nullptr;  // iconv_t: UTF-8 -> code page
};

}  // namespace varkel
