#include <gtest/gtest.h>

#include <QApplication>
#include <clocale>

#include "toolkit/combo_names.h"

// The leak checker's suppressions, whatever the environment: ctest hands a test only the first
// entry of a list of variables, so LSAN_OPTIONS cannot be relied on to get there.
extern "C" const char* __lsan_default_options() {
    return "suppressions=" VARKEL_LSAN_SUPPRESSIONS;
}

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    // Widgets and the busy pointer need an application; tests run on the offscreen platform.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    varkel::NameCombosByLabel();  // as the program does at start-up
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
