#include "platform/posix/desktop_entry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using platform::DesktopExecValue;
using platform::ParseDesktopExec;
using Args = std::vector<std::string>;

TEST(DesktopExec, QuotesThePathAndEscapesEachSpecialCharacter) {
    // Inside quotes ", `, $ and \ take a backslash; the string rule then doubles every
    // backslash; % is doubled for the field codes.
    EXPECT_EQ(DesktopExecValue(R"(/a b/100%/"q"/$HOME/`x`/c\d)"),
              R"("/a b/100%%/\\"q\\"/\\$HOME/\\`x\\`/c\\\\d")");
    EXPECT_EQ(DesktopExecValue("/a\nb\tc"), R"("/a\nb\tc")");
    for (const std::string path :
         {R"(/x/"q" $P `c` 100% %U back\slash\\)", "/x/new\nline", "/домой/инкубатор/монитор"})
        EXPECT_EQ(ParseDesktopExec(DesktopExecValue(path)), Args{path}) << path;
}

TEST(DesktopExec, ReadsEntriesWrittenByOthersAndRefusesMalformedOnes) {
    EXPECT_EQ(ParseDesktopExec(R"(  "/opt/my app/monitor"   --tray )"),
              (Args{"/opt/my app/monitor", "--tray"}));
    // One backslash before a quoted character, as many writers do.
    EXPECT_EQ(ParseDesktopExec(R"("/a\"b\$c")"), Args{R"(/a"b$c)"});
    EXPECT_EQ(ParseDesktopExec(R"(/path/with\sspace)"), (Args{"/path/with", "space"}));

    EXPECT_FALSE(ParseDesktopExec(R"("/open/quote)"));
    EXPECT_FALSE(ParseDesktopExec(R"("/a"b)"));
    EXPECT_FALSE(ParseDesktopExec(R"("/a\qb")"));
    EXPECT_FALSE(ParseDesktopExec("/usr/bin/monitor %U"));
    EXPECT_FALSE(ParseDesktopExec("/a$b"));
}

TEST(DesktopEntryGroup, OnlyTheDesktopEntryGroupsPlainKeysCount) {
    const auto keys = platform::ReadDesktopEntryGroup(
        "Exec=/before/any/group\r\n"
        "[Desktop Entry]\r\n"
        "Type = Application\r\n"
        "Name[ru]=Инкубатор\r\n"
        "  # Exec=/commented\r\n"
        "Exec=\"/opt/a b\"\r\n"
        "Exec=/second/exec\r\n"
        "[Desktop Action Other]\r\n"
        "Hidden=true\r\n");
    EXPECT_EQ(keys, (std::map<std::string, std::string>{{"Type", "Application"},
                                                        {"Exec", "\"/opt/a b\""}}));
}

}  // namespace
