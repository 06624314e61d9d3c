#include "engine/alarm_rules.h"

#include <gtest/gtest.h>

namespace {

TEST(NoDataWarning, SecondLineNamesTheClosedPort) {
    EngineSettings s;
    EXPECT_FALSE(NoDataWarningText(s, false, "COM1"));
    s.SignalOffData = true;
    EXPECT_EQ(*NoDataWarningText(s, true, "COM1"), "Нет данных от инкубатора.");
    EXPECT_EQ(*NoDataWarningText(s, false, "COM1"),
              "Нет данных от инкубатора.\rНе открыт ком порт \"COM1\".");
}

}  // namespace
