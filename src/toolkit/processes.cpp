#include "toolkit/processes.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>
#include <QWidget>
#include <cerrno>
#include <cstring>

namespace varkel {
namespace {

ProcessOutcome Failure(int number) {
    return {false, number, QString::fromLocal8Bit(std::strerror(number))};
}

// Refuses what cannot be started with the reason a user understands.
ProcessOutcome CheckProgram(const QString& program) {
    if (program.isEmpty()) return Failure(ENOENT);
    const QString path = program.contains(u'/') ? program : QStandardPaths::findExecutable(program);
    if (path.isEmpty()) return Failure(ENOENT);
    const QFileInfo info(path);
    if (!info.exists()) return Failure(ENOENT);
    if (info.isDir() || !info.isExecutable()) return Failure(EACCES);
    return {true, 0, {}};
}

// While the program waits for another one: every window keeps painting but takes no input, and
// a close request is kept until the wait is over.
class WindowsOnHold : public QObject {
  public:
    WindowsOnHold() {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (!w->isEnabled()) continue;
            w->setEnabled(false);
            disabled_ << w;
        }
        qApp->installEventFilter(this);
    }
    ~WindowsOnHold() override {
        qApp->removeEventFilter(this);
        for (const QPointer<QWidget>& w : disabled_)
            if (w) w->setEnabled(true);
        for (const QPointer<QWidget>& w : closeRequests_)
            if (w) QMetaObject::invokeMethod(w.data(), &QWidget::close, Qt::QueuedConnection);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Close || !watched->isWidgetType()) return false;
        auto* w = static_cast<QWidget*>(watched);
        if (!w->isWindow()) return false;
        if (!closeRequests_.contains(w)) closeRequests_ << w;
        event->ignore();
        return true;
    }

  private:
    QList<QPointer<QWidget>> disabled_;
    QList<QPointer<QWidget>> closeRequests_;
};

}  // namespace

ProcessOutcome StartProcess(const QString& program, const QStringList& arguments) {
    if (auto answer = ScopedProcessResponder::answer({program, arguments, false})) return *answer;
    ProcessOutcome check = CheckProgram(program);
    if (!check.started) return check;
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    if (!process.startDetached()) return {false, EIO, process.errorString()};
    return {true, 0, {}};
}

ProcessOutcome RunProcessAndWait(const QString& program, const QStringList& arguments) {
    WindowsOnHold hold;
    if (auto answer = ScopedProcessResponder::answer({program, arguments, true})) return *answer;
    ProcessOutcome check = CheckProgram(program);
    if (!check.started) return check;

    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    process.start();
    if (!process.waitForStarted(-1)) return {false, EIO, process.errorString()};
    if (process.state() != QProcess::NotRunning) loop.exec();
    return {true, 0, {}};
}

}  // namespace varkel
