#pragma once

#include <QList>
#include <QString>

#include "toolkit/open_document.h"
#include "toolkit/scoped_responder.h"

class QFileDialog;
class QWidget;

namespace varkel {

// One entry of a dialog's file type list: what the user reads and the pattern it stands for
// ("*.csv", several separated by ";"; "*.*" is every file, also files without a dot).
struct FileFilter {
    QString description;
    QString pattern;
    bool operator==(const FileFilter&) const = default;
};

enum class FileDialogKind { Open, Save };

// Everything a file dialog is shown with.
struct FileDialogRequest {
    FileDialogKind kind = FileDialogKind::Open;
    QWidget* owner = nullptr;
    QString title;
    QList<FileFilter> filters;
    int filterIndex = 1;    // counted from 1
    QString initialFolder;  // ends in "/", or empty for the dialog's own default
    QString initialName;
};

// "desc|pattern|desc|pattern": empty pieces are dropped, a last description without a pattern
// gets "*.*", and an empty text is the single entry "すべてのﾌｧｲﾙ(*.*)".
QList<FileFilter> ParseFilterText(const QString& filterText);

// Blanks removed at both ends, then split after the last "/" into folder and name.
struct InitialPath {
    QString folder;
    QString name;
};
InitialPath SplitInitialPath(const QString& initialPath);

FileDialogRequest MakeFileDialogRequest(FileDialogKind kind, QWidget* owner, const QString& title,
                                        const QString& initialPath, const QString& filterText,
                                        int filterIndex);

// The dialog a request is shown in (Qt's own, the same on every desktop), not yet shown.
QFileDialog* BuildFileDialog(const FileDialogRequest& request);

// The full path of the chosen existing file, or the empty string when the user cancels.
QString AskOpenFile(QWidget* owner, const QString& title, const QString& initialPath,
                    const QString& filterText, int filterIndex);

// The full path chosen for saving (an existing file only after the user agreed to replace it),
// or the empty string. A name typed without a suffix is returned without one.
QString AskSaveFile(QWidget* owner, const QString& title, const QString& initialPath,
                    const QString& filterText, int filterIndex);

// Answers file dialogs instead of showing them (the chosen path, empty for cancel).
using ScopedFileDialogResponder = ScopedResponder<FileDialogRequest, QString>;

}  // namespace varkel
