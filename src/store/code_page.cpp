#include "store/code_page.h"

#include <iconv.h>
#include <langinfo.h>
#include <cerrno>
#include <cstdlib>
#include <utility>

namespace varkel {
namespace {

const iconv_t kNoIconv = reinterpret_cast<iconv_t>(-1);

bool namesUtf8(const QByteArray& name) {
    const QByteArray n = name.toUpper();
    return n == "UTF-8" || n == "UTF8";
}

// Length of a trailing UTF-8 sequence that is cut short, or 0 when the text ends whole.
qsizetype incompleteUtf8Tail(const char* data, qsizetype length) {
    qsizetype continuation = 0;
    qsizetype i = length;
    while (i > 0 && continuation < 4 && (static_cast<unsigned char>(data[i - 1]) & 0xC0) == 0x80) {
        --i;
        ++continuation;
    }
    if (i == 0) return 0;
    const auto lead = static_cast<unsigned char>(data[i - 1]);
    qsizetype need = 1;
    if (lead >= 0xF0)
        need = 4;
    else if (lead >= 0xE0)
        need = 3;
    else if (lead >= 0xC0)
        need = 2;
    return need > continuation + 1 ? continuation + 1 : 0;
}

void resetState(void* cd) {
    iconv(static_cast<iconv_t>(cd), nullptr, nullptr, nullptr, nullptr);
}

qsizetype utf8SequenceLength(unsigned char lead) {
    if (lead >= 0xF0) return 4;
    if (lead >= 0xE0) return 3;
    if (lead >= 0xC0) return 2;
    return 1;
}

}  // namespace

CodePage::CodePage(const QByteArray& name) : name_(name), utf8_(namesUtf8(name)) {
    if (utf8_) return;
    iconv_t to = iconv_open("UTF-8", name.constData());
    iconv_t from = iconv_open(name.constData(), "UTF-8");
    if (to == kNoIconv || from == kNoIconv) {
        // An unknown code page name falls back to UTF-8 rather than losing every character.
        if (to != kNoIconv) iconv_close(to);
        if (from != kNoIconv) iconv_close(from);
        name_ = "UTF-8";
        utf8_ = true;
        return;
    }
    toUnicode_ = to;
    fromUnicode_ = from;
}

CodePage::~CodePage() {
    if (toUnicode_) iconv_close(static_cast<iconv_t>(toUnicode_));
    if (fromUnicode_) iconv_close(static_cast<iconv_t>(fromUnicode_));
}

CodePage::CodePage(CodePage&& other) noexcept
    : name_(std::move(other.name_)),
      utf8_(other.utf8_),
      toUnicode_(std::exchange(other.toUnicode_, nullptr)),
      fromUnicode_(std::exchange(other.fromUnicode_, nullptr)) {}

CodePage& CodePage::operator=(CodePage&& other) noexcept {
    if (this != &other) {
        CodePage old(std::move(*this));
        name_ = std::move(other.name_);
        utf8_ = other.utf8_;
        toUnicode_ = std::exchange(other.toUnicode_, nullptr);
        fromUnicode_ = std::exchange(other.fromUnicode_, nullptr);
    }
    return *this;
}

QByteArray CodePage::systemName() {
    if (const char* forced = std::getenv("VARKEL_CODEPAGE"); forced && *forced)
        return QByteArray(forced);
    const QByteArray codeset = QByteArray(nl_langinfo(CODESET)).toUpper();
    if (codeset.isEmpty() || codeset == "ANSI_X3.4-1968" || codeset == "ASCII" ||
        codeset == "US-ASCII")
        return QByteArrayLiteral("UTF-8");
    return codeset;
}

namespace {

// The iconv conversion of UTF-8 text; a character iconv refuses becomes '?'.
QByteArray Convert(void* cd, QByteArray utf8) {
    resetState(cd);
    QByteArray out;
    out.reserve(utf8.size() * 2 + 4);
    char* in = utf8.data();
    size_t inLeft = static_cast<size_t>(utf8.size());
    char buffer[512];
    while (inLeft > 0) {
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        const size_t r = iconv(static_cast<iconv_t>(cd), &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, static_cast<qsizetype>(outPtr - buffer));
        if (r != static_cast<size_t>(-1)) break;
        if (errno == E2BIG) continue;
        // Not representable (EILSEQ) or cut short (EINVAL): one '?' for the character.
        out.append('?');
        const auto skip = std::min<size_t>(
            inLeft, static_cast<size_t>(utf8SequenceLength(static_cast<unsigned char>(*in))));
        in += skip;
        inLeft -= skip;
        resetState(cd);
    }
    return out;
}

// Calls `take` with each character of the text in turn, a surrogate pair as one.
template <typename Take>
void EachCharacter(const QString& text, Take take) {
    qsizetype i = 0;
    while (i < text.size()) {
        const bool pair =
            text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        take(text.mid(i, pair ? 2 : 1));
        i += pair ? 2 : 1;
    }
}

bool HasLoneSurrogate(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (text[i].isSurrogate())
            return true;
    }
    return false;
}

}  // namespace

QByteArray CodePage::encode(const QString& text, bool* exact) const {
    if (utf8_) {
        const bool whole = !HasLoneSurrogate(text);
        if (exact) *exact = whole;
        if (whole) return text.toUtf8();
        QString held = text;
        EachCharacter(text, [&, at = qsizetype(0)](const QString& one) mutable {
            if (one.size() == 1 && one[0].isSurrogate()) held[at] = u'?';
            at += one.size();
        });
        return held.toUtf8();
    }
    QByteArray out = Convert(fromUnicode_, text.toUtf8());
    // iconv maps some characters to look-alikes; only a conversion that reads back the same is
    // exact. Where the whole text does not, each character is checked on its own.
    if (decode(out) == text) {
        if (exact) *exact = true;
        return out;
    }
    if (exact) *exact = false;
    out.clear();
    EachCharacter(text, [&](const QString& one) {
        const QByteArray bytes = Convert(fromUnicode_, one.toUtf8());
        out += decode(bytes) == one ? bytes : QByteArray("?");
    });
    return out;
}

QString CodePage::unheld(const QString& text) const {
    bool exact = true;
    encode(text, &exact);
    if (exact) return QString();
    QString found;
    EachCharacter(text, [&](const QString& one) {
        bool held = true;
        encode(one, &held);
        if (!held && !found.contains(one)) found += one;
    });
    return found;
}

QString CodePage::decode(const char* data, qsizetype length) const {
    if (length <= 0) return {};
    if (utf8_) {
        // fromUtf8 drops a leading byte order mark; here it is a character of the text.
        const qsizetype whole = length - incompleteUtf8Tail(data, length);
        qsizetype marks = 0;
        while (3 * marks + 3 <= whole &&
               QByteArrayView(data + 3 * marks, 3) == QByteArrayView("\xEF\xBB\xBF"))
            ++marks;
        if (marks == 0) return QString::fromUtf8(data, whole);
        return QString(marks, QChar(0xFEFF)) +
               QString::fromUtf8(data + 3 * marks, whole - 3 * marks);
    }
    resetState(toUnicode_);
    QByteArray utf8;
    utf8.reserve(length * 2);
    char* in = const_cast<char*>(data);
    size_t inLeft = static_cast<size_t>(length);
    char buffer[1024];
    while (inLeft > 0) {
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        const size_t r = iconv(static_cast<iconv_t>(toUnicode_), &in, &inLeft, &outPtr, &outLeft);
        utf8.append(buffer, static_cast<qsizetype>(outPtr - buffer));
        if (r != static_cast<size_t>(-1)) break;
        if (errno == E2BIG) continue;
        if (errno == EINVAL) break;  // an incomplete character at the end
        utf8.append("\xEF\xBF\xBD");
        ++in;
        --inLeft;
        resetState(toUnicode_);
    }
    return QString::fromUtf8(utf8);
}

QByteArray CodePage::encodeFile(const QString& text, bool* exact) const {
    QByteArray bytes = encode(text, exact);
    if (text.startsWith(QChar(0xFEFF))) {
        bool held = false;
        const QByteArray mark = encode(QString(QChar(0xFEFF)), &held);
        if (held) bytes.prepend(mark);
    }
    return bytes;
}

QString CodePage::decodeFile(const QByteArray& bytes) const {
    QString text = decode(bytes);
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    return text;
}

void CodePage::decodeInto(QString& out, const char* data, qsizetype length) const {
    // ASCII reads the same in every code page the program supports: widen it in place.
    const auto* bytes = reinterpret_cast<const unsigned char*>(data);
    // A string still shared with the last row's value is replaced, not copied and overwritten.
    if (out.isDetached() && out.capacity() >= length)
        out.resize(length);
    else
        out = QString(length, Qt::Uninitialized);
    QChar* target = out.data();
    for (qsizetype i = 0; i < length; ++i) {
        if (bytes[i] >= 0x80) {
            out = decode(data, length);
            return;
        }
        target[i] = QChar(static_cast<char16_t>(bytes[i]));
    }
}

qsizetype CodePage::wholeCharacterPrefix(const char* data, qsizetype length,
                                         qsizetype maxBytes) const {
    qsizetype n = std::min(length, maxBytes);
    if (n <= 0) return 0;
    if (utf8_) {
        // A cut inside a character leaves its continuation bytes beyond n.
        if (n < length) {
            while (n > 0 && (static_cast<unsigned char>(data[n]) & 0xC0) == 0x80 &&
                   (static_cast<unsigned char>(data[n - 1]) & 0x80))
                --n;
            // data[n] now starts a character (or n reached the front).
        }
        return n - incompleteUtf8Tail(data, n);
    }
    resetState(toUnicode_);
    char* in = const_cast<char*>(data);
    size_t inLeft = static_cast<size_t>(n);
    char buffer[1024];
    while (inLeft > 0) {
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        const size_t r = iconv(static_cast<iconv_t>(toUnicode_), &in, &inLeft, &outPtr, &outLeft);
        if (r != static_cast<size_t>(-1) || errno == EINVAL) break;
        if (errno == EILSEQ) {  // an invalid byte is kept as it is; decode() marks it
            ++in;
            --inLeft;
            resetState(toUnicode_);
        }
    }
    return n - static_cast<qsizetype>(inLeft);
}

}  // namespace varkel
