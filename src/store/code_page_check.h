#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace varkel {

// Tells whether bytes are whole, valid characters of a code page, so that a file is never read
// into replacement characters without a word. Owns an iconv descriptor: not copied.
class CodePageCheck {
  public:
    explicit CodePageCheck(const QByteArray& name);
    ~CodePageCheck();
    CodePageCheck(const CodePageCheck&) = delete;
    CodePageCheck& operator=(const CodePageCheck&) = delete;

    const QByteArray& name() const { return name_; }
    // False for a byte sequence the code page does not define or a character cut short.
    bool valid(QByteArrayView bytes);

  private:
    QByteArray name_;
    bool utf8_ = false;
    void* iconv_ = nullptr;  // iconv_t: code page -> UTF-8
    QByteArray scratch_;
};

// The code page a file from the other common desktop is written in: CP932 (a Japanese Windows
// desktop) for a UTF-8 program, UTF-8 for any other.
QByteArray OtherDesktopCodePage(bool programIsUtf8);

}  // namespace varkel
