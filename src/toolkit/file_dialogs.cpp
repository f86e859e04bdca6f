#include "toolkit/file_dialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QSortFilterProxyModel>

namespace varkel {
namespace {

// Programs on Linux have no ".exe": a "*.exe" entry lists the files one may run.
bool IsProgramPattern(const QString& pattern) {
    const QStringList parts = pattern.split(u';', Qt::SkipEmptyParts);
    if (parts.isEmpty()) return false;
    for (const QString& part : parts)
        if (part.trimmed().compare(u"*.exe", Qt::CaseInsensitive) != 0) return false;
    return true;
}

// The pattern as the dialog matches it: "*.*" and program patterns become "*".
QString DialogPatterns(const QString& pattern) {
    QStringList out;
    for (const QString& part : pattern.split(u';', Qt::SkipEmptyParts)) {
        const QString p = part.trimmed();
        if (p.isEmpty()) continue;
        if (p == u"*.*" || IsProgramPattern(p))
            out << QStringLiteral("*");
        else
            out << p;
    }
    if (out.isEmpty()) out << QStringLiteral("*");
    return out.join(u' ');
}

// Lets only folders and runnable files through while a program entry is selected.
class ProgramFilter : public QSortFilterProxyModel {
  public:
    using QSortFilterProxyModel::QSortFilterProxyModel;
    void setActive(bool active) {
        if (active == active_) return;
        active_ = active;
        invalidateFilter();
    }

  protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
        if (!active_) return true;
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (!files) return true;
        const QFileInfo info = files->fileInfo(files->index(row, 0, parent));
        return info.isDir() || info.isExecutable();
    }

  private:
    bool active_ = false;
};

QString Ask(const FileDialogRequest& request) {
    if (auto answer = ScopedFileDialogResponder::answer(request)) return *answer;
    QFileDialog* dialog = BuildFileDialog(request);
    QString chosen;
    if (dialog->exec() == QDialog::Accepted && !dialog->selectedFiles().isEmpty())
        chosen = dialog->selectedFiles().constFirst();  // not trimmed: a name may end in a blank
    delete dialog;
    return chosen;
}

}  // namespace

QList<FileFilter> ParseFilterText(const QString& filterText) {
    QStringList pieces = filterText.split(u'|', Qt::SkipEmptyParts);
    if (pieces.isEmpty()) return {{QStringLiteral("すべてのﾌｧｲﾙ(*.*)"), QStringLiteral("*.*")}};
    if (pieces.size() % 2 != 0) pieces << QStringLiteral("*.*");
    QList<FileFilter> filters;
    for (qsizetype i = 0; i + 1 < pieces.size(); i += 2)
        filters.append({pieces[i], pieces[i + 1]});
    return filters;
}

InitialPath SplitInitialPath(const QString& initialPath) {
    const QString path = initialPath.trimmed();
    const qsizetype slash = path.lastIndexOf(u'/');
    return {path.left(slash + 1), path.mid(slash + 1)};
}

FileDialogRequest MakeFileDialogRequest(FileDialogKind kind, QWidget* owner, const QString& title,
                                        const QString& initialPath, const QString& filterText,
                                        int filterIndex) {
    FileDialogRequest request;
    request.kind = kind;
    request.owner = owner;
    request.title = title;
    request.filters = ParseFilterText(filterText);
    request.filterIndex =
        filterIndex >= 1 && filterIndex <= request.filters.size() ? filterIndex : 1;
    const InitialPath split = SplitInitialPath(initialPath);
    request.initialFolder = split.folder;
    request.initialName = split.name;
    return request;
}

QFileDialog* BuildFileDialog(const FileDialogRequest& request) {
    auto* dialog = new QFileDialog(request.owner, request.title);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    // The description carries its own pattern text; the dialog's pattern list stays hidden.
    dialog->setOption(QFileDialog::HideNameFilterDetails);
    const bool save = request.kind == FileDialogKind::Save;
    dialog->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog->setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);

    QStringList names;
    QList<bool> programs;
    for (const FileFilter& filter : request.filters) {
        names << filter.description + QStringLiteral(" (") + DialogPatterns(filter.pattern) + u')';
        programs << IsProgramPattern(filter.pattern);
    }
    auto* programFilter = new ProgramFilter(dialog);
    dialog->setProxyModel(programFilter);
    dialog->setNameFilters(names);
    const int index = request.filterIndex >= 1 && request.filterIndex <= names.size()
                          ? request.filterIndex - 1
                          : 0;
    if (!names.isEmpty()) dialog->selectNameFilter(names[index]);
    programFilter->setActive(!programs.isEmpty() && programs[index]);
    QObject::connect(dialog, &QFileDialog::filterSelected, programFilter,
                     [programFilter, names, programs](const QString& selected) {
                         const qsizetype i = names.indexOf(selected);
                         programFilter->setActive(i >= 0 && programs[i]);
                     });

    QString folder = request.initialFolder;
    if (folder.isEmpty() && !programs.isEmpty() && programs[index])
        folder = QStringLiteral("/usr/bin/");
    if (!folder.isEmpty()) dialog->setDirectory(folder);
    if (!request.initialName.isEmpty()) dialog->selectFile(request.initialName);
    return dialog;
}

QString AskOpenFile(QWidget* owner, const QString& title, const QString& initialPath,
                    const QString& filterText, int filterIndex) {
    return Ask(MakeFileDialogRequest(FileDialogKind::Open, owner, title, initialPath, filterText,
                                     filterIndex));
}

QString AskSaveFile(QWidget* owner, const QString& title, const QString& initialPath,
                    const QString& filterText, int filterIndex) {
    return Ask(MakeFileDialogRequest(FileDialogKind::Save, owner, title, initialPath, filterText,
                                     filterIndex));
}

}  // namespace varkel
