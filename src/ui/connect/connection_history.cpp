#include "ui/connect/connection_history.h"

#include "store/ini_file.h"
#include "store/settings_keys.h"

namespace varkel {

QString MaskHistoryEntry(const QString& entry) {
    const qsizetype at = entry.indexOf(QStringLiteral(";PWD="));
    if (at < 0) return entry;
    const qsizetype start = at + 1;
    const qsizetype end = entry.indexOf(u';', start);
    const QString part = entry.mid(start, end < 0 ? -1 : end - start);
    QString masked = entry;
    return masked.replace(part, QStringLiteral("PWD=********"));
}

QList<QPair<QString, QString>> HistoryDetails(const QString& masked) {
    QList<QPair<QString, QString>> rows;
    for (const QString& part : masked.split(u';', Qt::SkipEmptyParts)) {
        const qsizetype eq = part.indexOf(u'=');
        rows.append(eq < 0 ? qMakePair(part, QString())
                           : qMakePair(part.left(eq), part.mid(eq + 1)));
    }
    return rows;
}

QString ConnectionHistory::read(const QString& settingsFile) {
    entries_.clear();
    for (int i = 1; i <= settings::kConnHistSlots; ++i) {
        const QString value = ReadIniString(settingsFile, settings::ConnHist(), QString::number(i));
        if (!value.trimmed().isEmpty()) entries_.append(value);
    }
    return ReadIniString(settingsFile, settings::ConnHist(), settings::Save());
}

void ConnectionHistory::add(const QString& connectString) {
    QString entry = connectString;
    while (!entry.isEmpty() && entry.back().isSpace())
        entry.chop(1);
    entries_.removeAll(entry);
    entries_.prepend(entry);
}

void ConnectionHistory::removeAt(int index) {
    if (index >= 0 && index < entries_.size()) entries_.removeAt(index);
}

void ConnectionHistory::save(const QString& settingsFile, const QString& saveSwitch) const {
    IniFile ini(settingsFile);
    save(ini, saveSwitch);
    ini.save();
}

void ConnectionHistory::save(IniFile& ini, const QString& saveSwitch) const {
    ini.write(settings::ConnHist(), settings::Save(), saveSwitch);
    for (int i = 1; i <= settings::kConnHistSlots; ++i)
        ini.write(settings::ConnHist(), QString::number(i), entries_.value(i - 1));
}

}  // namespace varkel
