// The settings file: reading any bytes, and writing one key, which must change no byte outside
// the line it writes (and the line end it may add before it), and must read back.
#include <unistd.h>

#include <QByteArray>
#include <QDir>
#include <QFile>

#include "fuzz_check.h"
#include "store/ini_file.h"

using namespace varkel;

namespace {

QString Scratch() {
    return QDir::temp().filePath(QStringLiteral("varkel-fuzz-ini-%1.ini").arg(getpid()));
}

void Put(const QByteArray& bytes) {
    QFile f(Scratch());
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(bytes);
}

QByteArray Get() {
    QFile f(Scratch());
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

const char* const kNames[] = {"WINDOW", "SET", "CONNHIST", "MAIN", "1", "20", "x"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const QString section = QString::fromLatin1(kNames[data[0] % 7]);
    const QString key = QString::fromLatin1(kNames[data[1] % 7]);
    // The rest is the file; its last quarter is also the value written.
    const QByteArray file(reinterpret_cast<const char*>(data) + 2,
                          static_cast<qsizetype>(size - 2));
    const QString value = FuzzText(data + 2 + (size - 2) * 3 / 4, (size - 2) - (size - 2) * 3 / 4);

    Put(file);
    const QString before = ReadIniString(Scratch(), section, key);
    FUZZ_CHECK(before.size() <= 1023);
    FUZZ_CHECK(before.isEmpty() || !before.back().isHighSurrogate() || before.size() < 1023);

    FUZZ_CHECK(WriteIniString(Scratch(), section, key, value) != 0);
    const QByteArray after = Get();
    // Outside one changed stretch the bytes are the old ones, and the old bytes of that stretch
    // hold no line break: no other line was touched.
    qsizetype head = 0;
    while (head < file.size() && head < after.size() && file[head] == after[head])
        ++head;
    qsizetype tail = 0;
    while (tail < file.size() - head && tail < after.size() - head &&
           file[file.size() - 1 - tail] == after[after.size() - 1 - tail])
        ++tail;
    const QByteArray removed = file.mid(head, file.size() - head - tail);
    FUZZ_CHECK(!removed.contains('\n') && removed.count('\r') <= 1);

    // What was written reads back, on one line.
    QString flat = value;
    flat.replace(QStringLiteral("\r\n"), QStringLiteral(" "))
        .replace(u'\r', u' ')
        .replace(u'\n', u' ');
    flat = flat.trimmed();
    const QString read = ReadIniString(Scratch(), section, key);
    const bool quoted = flat.size() >= 2 && (flat.front() == u'"' || flat.front() == u'\'') &&
                        flat.back() == flat.front();
    if (!quoted && flat.size() <= 1000 && !flat.contains(QChar(0xFFFD)) && !flat.contains(QChar(0)))
        FUZZ_CHECK(read == flat);

    // Writing the same again changes nothing.
    FUZZ_CHECK(WriteIniString(Scratch(), section, key, value) != 0);
    FUZZ_CHECK(Get() == after);
    return 0;
}
