#pragma once

// main() of a GUI test: the editor's own application object on the offscreen platform, with
// settings and data (recovery copies) kept in a temporary folder so that tests never read or change
// the user's.

#include "app/PelmoraApp.h"

#include <QTemporaryDir>
#include <QtTest>

#define RAVELIN_GUI_TEST_MAIN(TestClass)                                                                     \
    int main(int argc, char** argv)                                                                          \
    {                                                                                                        \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))                                                  \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                                         \
        QTemporaryDir settingsDir;                                                                           \
        qputenv("XDG_CONFIG_HOME", settingsDir.path().toLocal8Bit());                                        \
        qputenv("XDG_DATA_HOME", settingsDir.path().toLocal8Bit());                                          \
        CPelmoraApp app(argc, argv);                                                                         \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                             \
        TestClass tc;                                                                                        \
        QTEST_SET_MAIN_SOURCE_PATH                                                                           \
        return QTest::qExec(&tc, argc, argv);                                                                \
    }
