#pragma once

#include <QByteArray>
#include <QString>

namespace varkel {

// Converts between the program's text and an 8-bit code page: the files' (the system code page)
// or the driver's text (UTF-8). It owns two iconv descriptors, so it is moved, never copied or
// shared.
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

    // Characters the code page cannot hold exactly become '?', never a look-alike (CP932 would
    // otherwise turn "¥" into a backslash); `exact`, when given, tells whether every character was
    // held.
    QByteArray encode(const QString& text, bool* exact = nullptr) const;
    // A whole file's bytes: as encode, with a byte order mark before a text that begins with
    // U+FEFF (where the code page holds one), which decodeFile would otherwise take for the mark
    // and drop.
    QByteArray encodeFile(const QString& text, bool* exact = nullptr) const;
    // The characters of the text, each once, that the code page cannot hold exactly.
    QString unheld(const QString& text) const;
    // Invalid bytes become U+FFFD; an incomplete character at the end is dropped. A U+FEFF is
    // data like any other character.
    QString decode(const char* data, qsizetype length) const;
    QString decode(const QByteArray& bytes) const {
        return decode(bytes.constData(), bytes.size());
    }
    // A whole file's text: as decode, less a byte order mark at its very start.
    QString decodeFile(const QByteArray& bytes) const;
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
