#include "store/ini_file.h"

#include <QFile>
#include <QSaveFile>
#include <QStringList>

#include "store/code_page.h"

namespace varkel {

namespace {

constexpr qsizetype kMaxValue = 1023;

QStringList ReadLines(const QString& file) {
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) return {};
    const QString text = CodePage(CodePage::systemName()).decode(in.readAll());
    QStringList lines = text.split(u'\n');
    for (QString& line : lines)
        if (line.endsWith(u'\r')) line.chop(1);
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();  // the final line end
    return lines;
}

// The section name of a "[name]" line, or a null string for any other line.
QString SectionOf(const QString& line) {
    const QString t = line.trimmed();
    if (t.size() >= 2 && t.startsWith(u'[')) {
        const qsizetype close = t.indexOf(u']');
        if (close > 0) return t.mid(1, close - 1).trimmed();
    }
    return QString();
}

bool IsKeyLine(const QString& line, const QString& key, QString* value = nullptr) {
    const qsizetype eq = line.indexOf(u'=');
    if (eq < 0 || line.left(eq).trimmed().compare(key, Qt::CaseInsensitive) != 0) return false;
    if (value) *value = line.mid(eq + 1);
    return true;
}

struct Found {
    qsizetype sectionLine = -1;  // index of the section's header
    qsizetype keyLine = -1;      // index of the key's line in it
    qsizetype lastLine = -1;     // the section's last non-blank line
};

Found Find(const QStringList& lines, const QString& section, const QString& key) {
    Found f;
    bool inSection = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString name = SectionOf(lines[i]);
        if (!name.isNull()) {
            if (inSection) break;  // the first matching section is the one used
            inSection = name.compare(section, Qt::CaseInsensitive) == 0;
            if (inSection) f.sectionLine = f.lastLine = i;
            continue;
        }
        if (!inSection) continue;
        if (!lines[i].trimmed().isEmpty()) f.lastLine = i;
        if (f.keyLine < 0 && IsKeyLine(lines[i], key)) f.keyLine = i;
    }
    return f;
}

}  // namespace

QString ReadIniString(const QString& file, const QString& section, const QString& key) {
    const QStringList lines = ReadLines(file);
    const Found f = Find(lines, section, key);
    if (f.keyLine < 0) return QString();
    QString value;
    IsKeyLine(lines[f.keyLine], key, &value);
    value = value.trimmed();
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
        value.back() == value.front())
        value = value.mid(1, value.size() - 2);
    return value.left(kMaxValue);
}

int WriteIniString(const QString& file, const QString& section, const QString& key,
                   const QString& value) {
    QStringList lines = ReadLines(file);
    const Found f = Find(lines, section, key);
    const QString entry = key + u'=' + value;
    if (f.keyLine >= 0) {
        lines[f.keyLine] = entry;
    } else if (f.sectionLine >= 0) {
        lines.insert(f.lastLine + 1, entry);
    } else {
        lines << u'[' + section + u']' << entry;
    }
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly)) return 0;
    out.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    out.write(CodePage(CodePage::systemName())
                  .encode(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")));
    return out.commit() ? 1 : 0;
}

}  // namespace varkel
