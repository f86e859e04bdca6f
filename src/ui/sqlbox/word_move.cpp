#include "ui/sqlbox/word_move.h"

namespace varkel {

namespace {

bool IsDelimiter(QChar c) {
    switch (c.unicode()) {
        case u' ':
        case u'.':
        case u',':
        case u'(':
        case u')':
        case u'\r':
        case u'\n':
        case u'\t':
            return true;
        default:
            return false;
    }
}

std::optional<TextSelection> NextToken(const QString& text, int start, int length, bool right) {
    const int size = static_cast<int>(text.size());
    if (right) {
        int i = std::clamp(start + length, 0, size);
        while (i < size && IsDelimiter(text[i]))
            ++i;
        if (i >= size) return std::nullopt;
        int end = i;
        while (end < size && !IsDelimiter(text[end]))
            ++end;
        return TextSelection{i, end - i};
    }
    int i = std::min(start, size) - 1;
    while (i >= 0 && IsDelimiter(text[i]))
        --i;
    if (i < 0) return std::nullopt;
    int begin = i;
    while (begin > 0 && !IsDelimiter(text[begin - 1]))
        --begin;
    return TextSelection{begin, i + 1 - begin};
}

}  // namespace

QString WordModeCaption(WordMode mode) {
    switch (mode) {
        case WordMode::Question:
            return QStringLiteral("？");
        case WordMode::Token:
            return QStringLiteral("ﾄｰｸﾝ");
        case WordMode::Keyword:
            return QStringLiteral("ｷｰﾜｰﾄﾞ");
    }
    return {};
}

WordMode NextWordMode(WordMode mode) {
    switch (mode) {
        case WordMode::Question:
            return WordMode::Token;
        case WordMode::Token:
            return WordMode::Keyword;
        case WordMode::Keyword:
            return WordMode::Question;
    }
    return WordMode::Question;
}

KeywordSet::KeywordSet(const QStringList& keywords) {
    folded_.reserve(keywords.size());
    for (const QString& k : keywords)
        folded_.insert(k.toCaseFolded());
}

bool KeywordSet::IsKeyword(const QString& word) const {
    return folded_.contains(word.toCaseFolded());
}

std::optional<TextSelection> MoveToWord(const QString& text, int start, int length, bool right,
                                        WordMode mode, const KeywordSet& keywords) {
    if (mode == WordMode::Question) {
        const qsizetype at =
            right ? text.indexOf(u'?', std::max(0, start + length))
                  : (start > 0 ? text.lastIndexOf(u'?', std::min<qsizetype>(start, text.size()) - 1)
                               : -1);
        if (at < 0) return std::nullopt;
        return TextSelection{static_cast<int>(at), 1};
    }
    TextSelection from{start, length};
    for (;;) {
        const auto token = NextToken(text, from.start, from.length, right);
        if (!token) return std::nullopt;
        if (mode == WordMode::Token || keywords.IsKeyword(text.mid(token->start, token->length)))
            return token;
        from = *token;
    }
}

}  // namespace varkel
