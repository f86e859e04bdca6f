#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// The connection history as data: the stored connection strings, newest first, and how they are
// shown with the password masked.
namespace varkel {

class IniFile;

// The entry with its password part (from the "P" of the first ";PWD=" to the next ";" or the
// end) replaced by "PWD=********" wherever it occurs; unchanged without ";PWD=".
QString MaskHistoryEntry(const QString& entry);

// The parts of a (masked) entry for the detail list: the text before each part's first "=",
// and the rest; empty parts are skipped, a part without "=" is all item and no value.
QList<QPair<QString, QString>> HistoryDetails(const QString& masked);

class ConnectionHistory {
  public:
    static constexpr int kSavedEntries = 20;

    const QStringList& entries() const { return entries_; }
    // Reads keys "1" … "20" of section CONNHIST; empty ones are skipped. Returns SAVE's value.
    QString read(const QString& settingsFile);
    // The new connection string at the top, every equal entry removed; trailing blanks dropped.
    void add(const QString& connectString);
    void removeAt(int index);
    // SAVE, then keys "1" … "20": the newest twenty entries, empty values after the last.
    void save(const QString& settingsFile, const QString& saveSwitch) const;
    void save(IniFile& ini, const QString& saveSwitch) const;  // saved later, with others

  private:
    QStringList entries_;
};

}  // namespace varkel
