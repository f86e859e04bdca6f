#pragma once

#include <QString>
#include <QStringList>

#include "toolkit/scoped_responder.h"

namespace varkel {

// A program to start, never through a shell.
struct ProcessRequest {
    QString program;
    QStringList arguments;
    bool wait = false;  // true: the caller waits until the program has ended
};

// How a start went; when it failed, an error number and its description for the user.
struct ProcessOutcome {
    bool started = false;
    int errorNumber = 0;
    QString errorText;
};

// Starts a program and returns at once.
ProcessOutcome StartProcess(const QString& program, const QStringList& arguments);

// Starts a program and returns when it has ended. Meanwhile the windows keep painting but take no
// input; a window closed meanwhile is closed once the wait is over.
ProcessOutcome RunProcessAndWait(const QString& program, const QStringList& arguments);

// Answers process starts instead of starting programs. A waited request returns to its caller
// only when the responder returns.
using ScopedProcessResponder = ScopedResponder<ProcessRequest, ProcessOutcome>;

}  // namespace varkel
