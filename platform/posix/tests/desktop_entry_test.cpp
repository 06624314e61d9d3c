#include "platform/posix/desktop_entry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using platform::DesktopExecValue;
using platform::ParseDesktopExec;
using platform::ReadDesktopEntryGroup;
using Args = std::vector<std::string>;

TEST(DesktopExec, QuotesThePathAndEscapesEachSpecialCharacter) {
    EXPECT_EQ(DesktopExecValue("/usr/bin/monitor"), R"("/usr/bin/monitor")");
    // Inside quotes ", `, $ and \ take a backslash; the string rule then doubles every
    // backslash; % is doubled for the field codes.
    EXPECT_EQ(DesktopExecValue(R"(/a b/100%/"q"/$HOME/`x`/c\d)"),
              R"("/a b/100%%/\\"q\\"/\\$HOME/\\`x\\`/c\\\\d")");
    EXPECT_EQ(DesktopExecValue("/a\nb\tc"), R"("/a\nb\tc")");
}

TEST(DesktopExec, WrittenPathsReadBackUnchanged) {
    for (const std::string path :
         {"/usr/bin/monitor", "/home/user/My Programs/monitor", R"(/x/"quoted" name)",
          "/x/100% sure", "/x/$PATH and `ls`", R"(/x/back\slash\\twice)", "/x/new\nline\ttab",
          "/домой/инкубатор/монитор", "/x/%f %U"}) {
        const auto args = ParseDesktopExec(DesktopExecValue(path));
        ASSERT_TRUE(args) << path;
        EXPECT_EQ(*args, Args{path});
    }
}

TEST(DesktopExec, ReadsEntriesWrittenByOthers) {
    EXPECT_EQ(ParseDesktopExec("/usr/bin/monitor"), Args{"/usr/bin/monitor"});
    EXPECT_EQ(ParseDesktopExec(R"(  "/opt/my app/monitor"   --tray )"),
              (Args{"/opt/my app/monitor", "--tray"}));
    // One backslash before a quoted character, as many writers do.
    EXPECT_EQ(ParseDesktopExec(R"("/a\"b\$c")"), Args{R"(/a"b$c)"});
    EXPECT_EQ(ParseDesktopExec(R"(/path/with\sspace)"), (Args{"/path/with", "space"}));
    EXPECT_EQ(ParseDesktopExec(""), Args{});
}

TEST(DesktopExec, MalformedValuesReadAsNothing) {
    EXPECT_FALSE(ParseDesktopExec(R"("/open/quote)"));
    EXPECT_FALSE(ParseDesktopExec(R"("/a"b)"));             // quote glued to more text
    EXPECT_FALSE(ParseDesktopExec(R"("/a\qb")"));           // not a quoting escape
    EXPECT_FALSE(ParseDesktopExec("/usr/bin/monitor %U"));  // field code
    EXPECT_FALSE(ParseDesktopExec(R"("/a%b")"));
    EXPECT_FALSE(ParseDesktopExec("/a$b"));  // reserved outside quotes
}

TEST(DesktopEntryGroup, OnlyTheDesktopEntryGroupsPlainKeysCount) {
    const auto keys = ReadDesktopEntryGroup(
        "# comment\r\n"
        "Exec=/before/any/group\r\n"
        "[Desktop Entry]\r\n"
        "Type = Application\r\n"
        "Name[ru]=Инкубатор\r\n"
        "Name=Rizudirod\r\n"
        "  # indented comment\r\n"
        "Exec=\"/opt/a b\"\r\n"
        "Exec=/second/exec\r\n"
        "[Desktop Action Other]\r\n"
        "Hidden=true\r\n");
    EXPECT_EQ(keys.size(), 3u);
    EXPECT_EQ(keys.at("Type"), "Application");
    EXPECT_EQ(keys.at("Name"), "Rizudirod");
    EXPECT_EQ(keys.at("Exec"), "\"/opt/a b\"");
    EXPECT_EQ(keys.count("Hidden"), 0u);
}

}  // namespace
