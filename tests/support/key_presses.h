#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

namespace varkel::test {

// Keys as a user presses them ("Ctrl+Shift+S", "Menu"), each to whatever has the focus then.
inline void PressKeys(std::initializer_list<const char*> keys) {
    for (const char* k : keys) {
        ASSERT_NE(QApplication::focusWidget(), nullptr) << k;
        const QKeyCombination c = QKeySequence(QString::fromLatin1(k))[0];
        QTest::keyClick(QApplication::focusWidget(), c.key(), c.keyboardModifiers());
    }
}

}  // namespace varkel::test
