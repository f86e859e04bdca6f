// The connection string's masks: whatever stands before and after it, the value of a PWD or
// PASSWORD attribute, in any case, in braces or not, shows neither in a history label
// (MaskPasswords) nor on the connection bar (MaskConnectionBarText), and masking again changes
// nothing.
#include "fuzz_check.h"
#include "store/connection_mask.h"
#include "store/sql_history.h"

using namespace varkel;

namespace {

const QString kMarker = QStringLiteral("Zq7s3cr");
const QString kKeys[] = {QStringLiteral("PWD"),      QStringLiteral("pwd"),
                         QStringLiteral("Pwd"),      QStringLiteral("PASSWORD"),
                         QStringLiteral("password"), QStringLiteral("PassWord"),
                         QStringLiteral(" PWD "),    QStringLiteral("\tpassword")};
const QString kValues[] = {kMarker,
                           u'{' + kMarker + u'}',
                           QStringLiteral("{a;") + kMarker + u'}',
                           QStringLiteral("{a}};") + kMarker + QStringLiteral("=}"),
                           u' ' + kMarker + u' ',
                           QStringLiteral("x=") + kMarker};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const QString& key = kKeys[data[0] % std::size(kKeys)];
    const QString& value = kValues[(data[0] >> 3) % std::size(kValues)];
    const QString text = FuzzText(data + 2, size - 2);
    const qsizetype cut = text.size() * data[1] / 256;
    // Braces before the attribute could open a value that the password's own brace closes, and
    // then there is no password attribute at all; after it they are anything.
    QString before = text.left(cut);
    before.remove(u'{').remove(u'}');
    const QString after = text.sliced(cut);
    if (before.contains(kMarker) || after.contains(kMarker)) return 0;
    const QString connectString = before + u';' + key + u'=' + value + u';' + after;

    const QString label = MaskPasswords(connectString);
    FUZZ_CHECK(!label.contains(kMarker));
    FUZZ_CHECK(MaskPasswords(label) == label);

    // The password field holds the value as typed, another text, or nothing.
    const QString typed = (data[1] & 3) == 0   ? QString()
                          : (data[1] & 3) == 1 ? value
                          : (data[1] & 3) == 2 ? after.left(8)
                                               : kMarker;
    const QString bar = MaskConnectionBarText(connectString, typed);
    FUZZ_CHECK(!bar.contains(kMarker));
    // Without a password anywhere, the bar shows the string as it is.
    const QString plain = before + after;
    if (!plain.contains(QStringLiteral("PWD"), Qt::CaseInsensitive) &&
        !plain.contains(QStringLiteral("PASSWORD"), Qt::CaseInsensitive))
        FUZZ_CHECK(MaskConnectionBarText(plain, typed) == plain);
    return 0;
}
