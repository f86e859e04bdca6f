#include "tools/temporary_edit_file.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>

#include "store/code_page.h"
#include "store/code_page_check.h"

namespace varkel {
namespace {

QString SharedName() {
    return QStringLiteral("SQL(temporary edit).sql");
}

}  // namespace

TemporaryEditFile::TemporaryEditFile(const QString& folder)
    : lock_(folder + SharedName() + QStringLiteral(".lock")) {
    shared_ = lock_.tryLock(0);
    path_ = folder + (shared_ ? SharedName()
                              : QStringLiteral("SQL(temporary edit)-%1.sql")
                                    .arg(QCoreApplication::applicationPid()));
}

TemporaryEditFile::~TemporaryEditFile() {
    if (!shared_) QFile::remove(path_);
}

bool TemporaryEditFile::write(const QString& text) {
    QSaveFile out(path_);
    const auto fail = [&] {
        errorNumber_ = static_cast<int>(out.error());
        errorText_ = out.errorString();
        return false;
    };
    if (!out.open(QIODevice::WriteOnly)) return fail();
    out.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const QByteArray bytes = CodePage(CodePage::systemName()).encode(text);
    if (out.write(bytes) != bytes.size()) return fail();
    if (!out.commit()) return fail();
    QFile::setPermissions(path_, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return true;
}

std::optional<QString> TemporaryEditFile::read(bool* valid) const {
    QFile in(path_);
    if (!in.open(QIODevice::ReadOnly)) return std::nullopt;
    const QByteArray bytes = in.readAll();
    const QByteArray name = CodePage::systemName();
    if (valid) *valid = CodePageCheck(name).valid(bytes);
    return CodePage(name).decode(bytes);
}

}  // namespace varkel
