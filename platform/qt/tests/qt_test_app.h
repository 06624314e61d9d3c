#pragma once
// One QApplication for a Qt test program (gtest_main runs the tests). It is made before the
// first test and destroyed after the last, inside main: a QApplication left to static
// destruction outlives parts of Qt and crashes at exit.

#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

class QtAppEnvironment : public ::testing::Environment {
  public:
    void SetUp() override { app_ = std::make_unique<QApplication>(argc_, argv_); }
    void TearDown() override { app_.reset(); }

  private:
    int argc_ = 1;
    char name_[8] = "qt-test";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> app_;
};

inline ::testing::Environment* const qt_app_environment =
    ::testing::AddGlobalTestEnvironment(new QtAppEnvironment);

inline QApplication& TestApp() {
    return *static_cast<QApplication*>(QCoreApplication::instance());
}
