#pragma once
// The one QApplication of a Qt test program, made on first use.

#include <QApplication>

inline QApplication& QtTestApp() {
    static int argc = 1;
    static char name[] = "chart_qt_tests";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return app;
}
