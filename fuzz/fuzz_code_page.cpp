// The code page: bytes decode to text that encodes back exactly when it says so, and a text
// is encoded exactly or with '?' in place of each character that has no exact code, never with
// a look-alike.
#include <cstring>

#include "fuzz_check.h"
#include "store/code_page.h"

using namespace varkel;

namespace {

void CheckEncode(const CodePage& page, const QString& text) {
    bool exact = false;
    const QByteArray bytes = page.encode(text, &exact);
    FUZZ_CHECK(exact == page.unheld(text).isEmpty());
    const QString back = page.decode(bytes);
    if (exact) {
        FUZZ_CHECK(back == text);
        return;
    }
    // Character by character, what reads back is the character itself or '?'.
    qsizetype i = 0, j = 0;
    while (i < text.size() && j < back.size()) {
        const qsizetype n =
            text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2
                                                                                             : 1;
        const qsizetype m =
            back[j].isHighSurrogate() && j + 1 < back.size() && back[j + 1].isLowSurrogate() ? 2
                                                                                             : 1;
        FUZZ_CHECK(back.mid(j, m) == text.mid(i, n) || back[j] == u'?');
        i += n;
        j += m;
    }
    FUZZ_CHECK(i == text.size() && j == back.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const CodePage cp932("CP932");
    static const CodePage utf8("UTF-8");
    const char* bytes = reinterpret_cast<const char*>(data);
    const auto length = static_cast<qsizetype>(size);
    for (const CodePage* page : {&cp932, &utf8}) {
        const QString text = page->decode(bytes, length);
        CheckEncode(*page, text);
        const qsizetype cut = page->wholeCharacterPrefix(bytes, length, length / 2);
        FUZZ_CHECK(cut >= 0 && cut <= length / 2);
        QString fast;
        page->decodeInto(fast, bytes, length);
        FUZZ_CHECK(fast == text);
    }
    // The bytes read as UTF-16 text of any kind, lone surrogates included.
    QString wide(length / 2, Qt::Uninitialized);
    std::memcpy(wide.data(), data, static_cast<size_t>(wide.size()) * 2);
    CheckEncode(cp932, wide);
    CheckEncode(utf8, wide);
    return 0;
}
