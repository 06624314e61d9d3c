#include "chart/tests/qt_test_app.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

int argc = 1;
char name[] = "chart_qt_tests";
char* argv[] = {name, nullptr};
std::unique_ptr<QApplication> app;

struct QtAppEnvironment : ::testing::Environment {
    void SetUp() override { app = std::make_unique<QApplication>(argc, argv); }
    void TearDown() override { app.reset(); }
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new QtAppEnvironment);

}  // namespace

QApplication& QtTestApp() {
    return *app;
}
