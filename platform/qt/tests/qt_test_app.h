#pragma once
// One QApplication for a Qt test program (gtest_main runs the tests).

#include <QApplication>

inline QApplication& TestApp() {
    static int argc = 1;
    static char name[] = "qt-test";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return app;
}
