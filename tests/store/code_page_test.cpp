#include <gtest/gtest.h>

#include <cstdlib>

#include <QTemporaryDir>

#include "store/code_page.h"
#include "store/text_file.h"

namespace varkel {
namespace {

struct EncodeCase {
    const char* codePage;
    QString text;
    QByteArray bytes;
};

TEST(CodePageTest, EncodesAndDecodesInEveryCodePage) {
    const EncodeCase cases[] = {
        {"UTF-8", QStringLiteral("abc"), "abc"},
        {"UTF-8", QStringLiteral("日本"), "\xE6\x97\xA5\xE6\x9C\xAC"},
        {"CP932", QStringLiteral("日本"), "\x93\xFA\x96\x7B"},
        {"CP932", QStringLiteral("ｱｲ"), "\xB1\xB2"},  // half-width katakana: one byte each
        {"CP932", QStringLiteral("①髙"), "\x87\x40\xFB\xFC"},
        {"CP932", QStringLiteral("～"), "\x81\x60"},
        {"EUC-JP", QStringLiteral("日本"), "\xC6\xFC\xCB\xDC"},
    };
    for (const EncodeCase& c : cases) {
        CodePage page(c.codePage);
        EXPECT_EQ(page.encode(c.text), c.bytes) << c.codePage << " " << c.text.toStdString();
        EXPECT_EQ(page.decode(c.bytes), c.text) << c.codePage;
    }
}

TEST(CodePageTest, UnrepresentableCharactersBecomeQuestionMarks) {
    CodePage cp932("CP932");
    EXPECT_EQ(cp932.encode(QStringLiteral("a😀b")), QByteArray("a?b"));
    // WAVE DASH has no code of its own: 0x8160 reads back as FULLWIDTH TILDE, a look-alike.
    EXPECT_EQ(cp932.encode(QStringLiteral("〜")), QByteArray("?"));
}

struct ExactCase {
    const char* codePage;
    QString text;
    QByteArray bytes;
    bool exact;
    QString unheld;
};

// A character without an exact code never becomes a look-alike: "¥" must not reach a driver as
// a backslash, which would change what a statement does.
TEST(CodePageTest, EncodingIsExactOrSaysSo) {
    const ExactCase cases[] = {
        {"CP932", QStringLiteral("a\\b~"), "a\\b~", true, QString()},
        {"CP932", QStringLiteral("'¥100'"), "'?100'", false, QStringLiteral("¥")},
        {"CP932", QStringLiteral("‾¥‾"), "???", false, QStringLiteral("‾¥")},
        {"CP932", QStringLiteral("日本〜"), "\x93\xFA\x96\x7B?", false, QStringLiteral("〜")},
        {"CP932", QStringLiteral("😀x"), "?x", false, QStringLiteral("😀")},
        {"CP932", QStringLiteral("\uFEFFa"), "?a", false, QStringLiteral("\uFEFF")},
        {"UTF-8", QStringLiteral("¥\u00A0\uFEFF"), "\xC2\xA5\xC2\xA0\xEF\xBB\xBF", true, QString()},
        {"UTF-8", QString(QChar(0xD800)) + u'a', "?a", false, QString(QChar(0xD800))},
    };
    for (const ExactCase& c : cases) {
        SCOPED_TRACE(c.codePage + (" " + c.text.toStdString()));
        CodePage page(c.codePage);
        bool exact = !c.exact;
        const QByteArray bytes = page.encode(c.text, &exact);
        if (!c.bytes.isEmpty()) {
            EXPECT_EQ(bytes, c.bytes);
        }
        EXPECT_EQ(exact, c.exact);
        EXPECT_EQ(page.unheld(c.text), c.unheld);
    }
}

// A U+FEFF is data; only a byte order mark at the very start of a file is dropped.
TEST(CodePageTest, AZeroWidthNoBreakSpaceIsKeptButAFileBomIsNot) {
    CodePage utf8("UTF-8");
    EXPECT_EQ(utf8.decode(QByteArray("\xEF\xBB\xBF"
                                     "a")),
              QStringLiteral("\uFEFFa"));
    EXPECT_EQ(utf8.decodeFile(QByteArray("\xEF\xBB\xBF"
                                         "a\xEF\xBB\xBF")),
              QStringLiteral("a\uFEFF"));
    EXPECT_EQ(utf8.decode(QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF"
                                     "a")),
              QStringLiteral("\uFEFF\uFEFFa"));
    QString value;
    utf8.decodeInto(value,
                    "\xEF\xBB\xBF"
                    "b",
                    4);
    EXPECT_EQ(value, QStringLiteral("\uFEFFb"));
    // A file written from a text that begins with the character reads back with it.
    for (const QString& text : {QStringLiteral("\uFEFFa"), QStringLiteral("a\uFEFF")})
        EXPECT_EQ(utf8.decodeFile(utf8.encodeFile(text)), text);
}

TEST(CodePageTest, DecodingMarksInvalidBytesAndDropsAnIncompleteEnd) {
    CodePage utf8("UTF-8");
    EXPECT_EQ(utf8.decode(QByteArray("a\xE3\x81")), QStringLiteral("a"));
    CodePage cp932("CP932");
    EXPECT_EQ(cp932.decode(QByteArray("a\x82")), QStringLiteral("a"));
    EXPECT_EQ(cp932.decode(QByteArray("a\xA0"
                                      "b")),
              QStringLiteral("a\uFFFDb"));
}

struct PrefixCase {
    const char* codePage;
    QByteArray bytes;
    qsizetype maxBytes;
    qsizetype expected;
};

TEST(CodePageTest, CutAtAByteLimitNeverSplitsACharacter) {
    const PrefixCase cases[] = {
        {"UTF-8", "ab", 5, 2},
        {"UTF-8", "a\xE3\x81\x82", 4, 4},  // a + あ fits exactly
        {"UTF-8", "a\xE3\x81\x82", 3, 1},  // あ would be split
        {"UTF-8", "a\xE3\x81\x82", 2, 1},
        {"UTF-8", "a\xE3\x81", 3, 1},          // already cut short by the driver
        {"UTF-8", "\xF0\x9F\x98\x80z", 4, 4},  // a four-byte character
        {"CP932", "a\x82\xA0", 3, 3},
        {"CP932", "a\x82\xA0", 2, 1},
        {"CP932", "\x82\xA0\x82\xA0", 3, 2},
        {"CP932", "\xB1\xB2\xB3", 2, 2},  // single-byte katakana
        {"CP932", "a\x82", 2, 1},         // cut short by the driver
    };
    for (const PrefixCase& c : cases) {
        CodePage page(c.codePage);
        EXPECT_EQ(page.wholeCharacterPrefix(c.bytes.constData(), c.bytes.size(), c.maxBytes),
                  c.expected)
            << c.codePage << " " << c.bytes.toHex().toStdString() << " max " << c.maxBytes;
    }
}

// A file read a piece at a time reads as the whole file decoded at once, wherever a multi-byte
// character, a byte order mark or an invalid byte falls at a piece's end.
TEST(CodePageTest, AFileReadInPiecesReadsAsAWhole) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.txt"));
    for (const char* name : {"UTF-8", "CP932", "EUC-JP"}) {
        const CodePage page(name);
        QByteArray bytes = page.encode(QStringLiteral("\uFEFFa"));
        while (bytes.size() < 3000)
            bytes += page.encode(QStringLiteral("日本語のＳＱＬ\r\nｱ\uFEFF"));
        // Invalid bytes that look like the start of a character, one before a valid character.
        bytes += name == QByteArrayView("UTF-8")   ? QByteArray("a\xC2\xC4\xC3\x90 ")
                 : name == QByteArrayView("CP932") ? QByteArray("a\x85\x88\x9F ")
                                                   : QByteArray("a\xA9\xB0\xA1 ");
        bytes += "\xFF\x81";  // an invalid byte, then an incomplete character
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        for (const qint64 piece : {3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 64, 1024, 1 << 20}) {
            bool readable = false;
            const QString text = ReadFileText(path, page, &readable, piece);
            EXPECT_TRUE(readable);
            EXPECT_TRUE(text == page.decodeFile(bytes)) << name << " piece " << piece;
        }
    }
    bool readable = true;
    EXPECT_TRUE(
        ReadFileText(dir.filePath(QStringLiteral("none")), CodePage("UTF-8"), &readable).isEmpty());
    EXPECT_FALSE(readable);
}

TEST(CodePageTest, SystemNameFollowsOverrideThenLocale) {
    setenv("VARKEL_CODEPAGE", "CP932", 1);
    EXPECT_EQ(CodePage::systemName(), QByteArray("CP932"));
    unsetenv("VARKEL_CODEPAGE");
    // Under the C or C.UTF-8 locale the narrow character set is UTF-8.
    EXPECT_EQ(CodePage(CodePage::systemName()).isUtf8(), true);
}

TEST(CodePageTest, UnknownCodePageFallsBackToUtf8) {
    CodePage page("NO-SUCH-CODEPAGE");
    EXPECT_TRUE(page.isUtf8());
    EXPECT_EQ(page.encode(QStringLiteral("日")), QByteArray("\xE6\x97\xA5"));
}

}  // namespace
}  // namespace varkel
