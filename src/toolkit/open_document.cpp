#include "toolkit/open_document.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

namespace varkel {

bool IsAddress(const QString& path) {
    // A scheme of two letters or more followed by ":"; a file of that name that exists wins.
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    return scheme.match(path).hasMatch() && !QFileInfo::exists(path);
}

bool OpenDocument(QWidget* owner, const QString& path) {
    const DocumentRequest request{owner, path, IsAddress(path)};
    if (auto answer = ScopedDocumentResponder::answer(request)) return *answer;
    const QUrl url = request.isAddress
                         ? QUrl(path)
                         : QUrl::fromLocalFile(QFileInfo(QDir::current(), path).absoluteFilePath());
    return QDesktopServices::openUrl(url);
}

}  // namespace varkel
