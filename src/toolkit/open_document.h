#pragma once

#include <QString>

#include "toolkit/scoped_responder.h"

class QWidget;

namespace varkel {

// What is handed to the desktop: an address (a value with a scheme such as "https:") or a
// local file.
struct DocumentRequest {
    QWidget* owner = nullptr;
    QString path;
    bool isAddress = false;
};

// True when the value names an address rather than a local file.
bool IsAddress(const QString& path);

// Opens a document or address with the program the desktop associates with it; true when the
// desktop accepted the request. A relative local path is taken from the current folder.
bool OpenDocument(QWidget* owner, const QString& path);

// Answers document requests instead of the desktop (true = accepted).
using ScopedDocumentResponder = ScopedResponder<DocumentRequest, bool>;

}  // namespace varkel
