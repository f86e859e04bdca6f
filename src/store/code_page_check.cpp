#include "store/code_page_check.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

namespace varkel {

namespace {

const iconv_t kNoIconv = reinterpret_cast<iconv_t>(-1);

bool NamesUtf8(const QByteArray& name) {
    const QByteArray n = name.toUpper();
    return n == "UTF-8" || n == "UTF8";
}

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool ValidUtf8(const unsigned char* p, const unsigned char* end) {
    while (p < end) {
        // Runs of plain ASCII, eight bytes at a time: most of a file is.
        std::uint64_t word = 0;
        while (end - p >= 8 && (std::memcpy(&word, p, 8), (word & 0x8080808080808080ULL) == 0))
            p += 8;
        if (p == end) break;
        const unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int need = 0;
        unsigned char low = 0x80, high = 0xBF;  // bounds of the second byte
        if (c >= 0xC2 && c <= 0xDF) {
            need = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            need = 2;
            if (c == 0xE0) low = 0xA0;
            if (c == 0xED) high = 0x9F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            need = 3;
            if (c == 0xF0) low = 0x90;
            if (c == 0xF4) high = 0x8F;
        } else {
            return false;
        }
        if (end - p <= need) return false;
        if (p[1] < low || p[1] > high) return false;
        for (int k = 2; k <= need; ++k)
            if ((p[k] & 0xC0) != 0x80) return false;
        p += need + 1;
    }
    return true;
}

}  // namespace

CodePageCheck::CodePageCheck(const QByteArray& name) : name_(name), utf8_(NamesUtf8(name)) {
    if (utf8_) return;
    iconv_t cd = iconv_open("UTF-8", name.constData());
    if (cd == kNoIconv) {
        // The program reads an unknown code page as UTF-8, so that is what is checked.
        utf8_ = true;
        return;
    }
    iconv_ = cd;
    scratch_.resize(64 * 1024);
}

CodePageCheck::~CodePageCheck() {
    if (iconv_) iconv_close(static_cast<iconv_t>(iconv_));
}

bool CodePageCheck::valid(QByteArrayView bytes) {
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    if (utf8_) return ValidUtf8(data, data + bytes.size());
    // Plain ASCII is the same in every code page read here; only the rest goes through iconv.
    qsizetype ascii = 0;
    while (ascii < bytes.size() && data[ascii] < 0x80)
        ++ascii;
    if (ascii == bytes.size()) return true;
    auto cd = static_cast<iconv_t>(iconv_);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(bytes.data()) + ascii;
    size_t left = static_cast<size_t>(bytes.size() - ascii);
    while (left > 0) {
        char* out = scratch_.data();
        size_t room = static_cast<size_t>(scratch_.size());
        if (iconv(cd, &in, &left, &out, &room) != static_cast<size_t>(-1)) break;
        if (errno != E2BIG) return false;  // EILSEQ or a character cut short (EINVAL)
    }
    char* out = scratch_.data();
    size_t room = static_cast<size_t>(scratch_.size());
    return iconv(cd, nullptr, nullptr, &out, &room) != static_cast<size_t>(-1);
}

QByteArray OtherDesktopCodePage(bool programIsUtf8) {
    return programIsUtf8 ? QByteArrayLiteral("CP932") : QByteArrayLiteral("UTF-8");
}

}  // namespace varkel
