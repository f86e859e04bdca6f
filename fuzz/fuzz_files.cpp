// The files read whole: the keyword list keeps every line, templates read, saved and read again
// stay the same templates, and a connection string's password never shows through the mask.
#include <unistd.h>

#include <QDir>
#include <QFile>

#include "fuzz_check.h"
#include "store/code_page.h"
#include "store/keyword_file.h"
#include "store/sql_history.h"
#include "store/sql_templates.h"

using namespace varkel;

namespace {

QString Scratch(const char* kind) {
    return QDir::temp().filePath(
        QStringLiteral("varkel-fuzz-%1-%2").arg(QLatin1String(kind)).arg(getpid()));
}

void Put(const QString& path, const uint8_t* data, size_t size) {
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString keywords = Scratch("keywords");
    Put(keywords, data, size);
    const QStringList lines = ReadKeywordFile(keywords);
    const QString text = CodePage(CodePage::systemName())
                             .decodeFile(QByteArray(reinterpret_cast<const char*>(data),
                                                    static_cast<qsizetype>(size)));
    const QString lineEnd =
        !text.isEmpty() && !text.contains(u'\r') ? QStringLiteral("\n") : QStringLiteral("\r\n");
    FUZZ_CHECK(lines.join(lineEnd) == text || lines.join(lineEnd) + lineEnd == text);

    const QString templates = Scratch("templates");
    Put(templates, data, size);
    const QList<ClassSQL> read = ReadTemplateFile(templates);
    FUZZ_CHECK(WriteTemplateFile(templates, read));
    const QList<ClassSQL> again = ReadTemplateFile(templates);
    FUZZ_CHECK(again.size() == read.size());
    for (qsizetype i = 0; i < read.size(); ++i)
        FUZZ_CHECK(again[i] == read[i]);

    // Whatever precedes it, a password attribute's value is masked, and masking is stable.
    const QString masked = MaskPasswords(text + QStringLiteral(";PWD=Zq7secretX;"));
    FUZZ_CHECK(!masked.contains(QStringLiteral("Zq7secretX")) ||
               text.contains(QStringLiteral("Zq7secretX")));
    FUZZ_CHECK(MaskPasswords(masked) == masked);
    return 0;
}
