#include "store/ini_file.h"

#include <QDir>

#include "store/text_file.h"

namespace varkel {

namespace {

constexpr qsizetype kMaxValue = 1023;

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

QString OnOneLine(const QString& value) {
    QString v = value;
    return v.replace(QStringLiteral("\r\n"), QStringLiteral(" "))
        .replace(u'\r', u' ')
        .replace(u'\n', u' ');
}

}  // namespace

IniFile::IniFile(const QString& path) : path_(path), page_(CodePage::systemName()) {
    const QByteArray bytes = ReadFileBytes(path);
    lineEnd_ = !bytes.isEmpty() && !bytes.contains('\r') ? QByteArray("\n") : QByteArray("\r\n");
    qsizetype at = 0;
    while (at < bytes.size()) {
        qsizetype end = at;
        while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n')
            ++end;
        Line line;
        line.bytes = bytes.mid(at, end - at);
        qsizetype next = end;
        if (next < bytes.size()) {
            next +=
                bytes[next] == '\r' && next + 1 < bytes.size() && bytes[next + 1] == '\n' ? 2 : 1;
            line.end = bytes.mid(end, next - end);
        }
        line.text = lines_.isEmpty() ? page_.decodeFile(line.bytes) : page_.decode(line.bytes);
        lines_ << line;
        at = next;
    }
}

IniFile::Found IniFile::find(const QString& section, const QString& key) const {
    Found f;
    bool inSection = false;
    for (qsizetype i = 0; i < lines_.size(); ++i) {
        const QString& line = lines_[i].text;
        const QString name = SectionOf(line);
        if (!name.isNull()) {
            if (inSection) break;  // the first matching section is the one used
            inSection = name.compare(section, Qt::CaseInsensitive) == 0;
            if (inSection) f.sectionLine = f.lastLine = i;
            continue;
        }
        if (!inSection) continue;
        if (!line.trimmed().isEmpty()) f.lastLine = i;
        if (f.keyLine < 0 && IsKeyLine(line, key)) f.keyLine = i;
    }
    return f;
}

QString IniFile::read(const QString& section, const QString& key) const {
    const Found f = find(section, key);
    if (f.keyLine < 0) return QString();
    QString value;
    IsKeyLine(lines_[f.keyLine].text, key, &value);
    value = value.trimmed();
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
        value.back() == value.front())
        value = value.mid(1, value.size() - 2);
    if (value.size() > kMaxValue)
        value.truncate(value[kMaxValue - 1].isHighSurrogate() ? kMaxValue - 1 : kMaxValue);
    return value;
}

IniFile::Line IniFile::makeLine(const QString& text) const {
    return {page_.encode(text), lineEnd_, text};
}

void IniFile::write(const QString& section, const QString& key, const QString& value) {
    const Found f = find(section, key);
    Line entry = makeLine(key + u'=' + OnOneLine(value));
    if (f.keyLine >= 0) {
        if (lines_[f.keyLine].bytes == entry.bytes) return;
        entry.end = lines_[f.keyLine].end.isEmpty() ? QByteArray() : lineEnd_;
        lines_[f.keyLine] = entry;
    } else {
        const qsizetype at = f.sectionLine >= 0 ? f.lastLine + 1 : lines_.size();
        // Only the line the new one follows may need a line end of its own.
        if (at > 0 && lines_[at - 1].end.isEmpty()) lines_[at - 1].end = lineEnd_;
        if (f.sectionLine >= 0) {
            lines_.insert(at, entry);
        } else {
            lines_ << makeLine(u'[' + section + u']') << entry;
        }
    }
    changed_ = true;
}

bool IniFile::save(QString* error) {
    if (!changed_) return true;
    QByteArray bytes;
    for (const Line& line : lines_)
        bytes += line.bytes + line.end;
    QString why;
    if (!WriteFileBytes(path_, bytes, &why)) {
        if (error)
            *error = QStringLiteral(
                         "設定ファイルに書き込めませんでした。元のファイルはそのままです。"
                         "\r\n%1\r\n%2")
                         .arg(QDir::toNativeSeparators(path_), why);
        return false;
    }
    changed_ = false;
    return true;
}

QString ReadIniString(const QString& file, const QString& section, const QString& key) {
    return IniFile(file).read(section, key);
}

int WriteIniString(const QString& file, const QString& section, const QString& key,
                   const QString& value) {
    IniFile ini(file);
    ini.write(section, key, value);
    return ini.save() ? 1 : 0;
}

}  // namespace varkel
