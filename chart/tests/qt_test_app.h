#pragma once
// The one QApplication of a Qt test program. It lives from the start to the end of the
// test run (a gtest environment), so that it is gone before Qt's own globals are.

#include <QApplication>

QApplication& QtTestApp();
