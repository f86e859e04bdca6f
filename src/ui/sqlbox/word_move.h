#pragma once

#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>

// Moving the selection of the SQL input box to the next placeholder, token or keyword.
namespace varkel {

enum class WordMode { Question, Token, Keyword };

// The mode shown as the caption of the mode button, and the mode that follows it.
QString WordModeCaption(WordMode mode);
WordMode NextWordMode(WordMode mode);

// The keyword list for lookups: every entry, compared without regard to case.
class KeywordSet {
  public:
    KeywordSet() = default;
    explicit KeywordSet(const QStringList& keywords);
    bool IsKeyword(const QString& word) const;
    bool isEmpty() const { return folded_.isEmpty(); }

  private:
    QSet<QString> folded_;
};

struct TextSelection {
    int start = 0;
    int length = 0;
    bool operator==(const TextSelection&) const = default;
};

// The selection after a move from the selection (start, length), to the right or to the left;
// none when there is nothing more in that direction (the selection then stays).
std::optional<TextSelection> MoveToWord(const QString& text, int start, int length, bool right,
                                        WordMode mode, const KeywordSet& keywords);

}  // namespace varkel
