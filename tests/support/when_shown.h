#pragma once

#include <QTimer>
#include <QWidget>
#include <functional>

namespace varkel::test {

// Runs `act` once `find` gives a widget that is on screen, looking every 10 ms: a modal window
// that a test must answer comes up whenever the code under test gets to it.
template <typename Widget>
void WhenShown(QObject* context, std::function<Widget*()> find, std::function<void(Widget&)> act) {
    auto* timer = new QTimer(context);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, find, act] {
        Widget* widget = find();
        if (!widget || !widget->isVisible()) return;
        timer->stop();
        timer->deleteLater();
        act(*widget);
    });
    timer->start();
}

}  // namespace varkel::test
