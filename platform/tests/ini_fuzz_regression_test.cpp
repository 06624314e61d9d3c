// INI writes found by fuzzing the configuration file.
#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/ini_document.h"
#include "platform/ini_file.h"
#include "testing/temp_folder.h"

namespace {

using platform::IniDocument;

constexpr const char* kFile = "[A]\nx=1\n; about B\n[B]\ny=2\n";

// A key whose line would read as a comment or a section header was written and reported as
// done: the value was lost, and "[B]..." even hid the real section B and its keys.
TEST(IniFuzzRegression, KeysThatWouldReadAsCommentsOrSectionsAreRefused) {
    IniDocument doc = IniDocument::Parse(kFile);
    for (const char* key : {"#", ";x", "#x", "[B]z", "[B", "[]"}) {
        EXPECT_THROW(doc.Set("A", key, "3"), std::invalid_argument) << key;
        EXPECT_THROW(doc.Set("C", key, "3"), std::invalid_argument) << key;
    }
    EXPECT_EQ(doc.Text(), kFile);
    EXPECT_EQ(doc.Find("B", "y"), "2");

    // The same characters further in are ordinary.
    doc.Set("A", "x#;[y]", "4");
    doc.Set("[A", "B;#", "5");
    EXPECT_EQ(doc.Find("A", "x#;[y]"), "4");
    EXPECT_EQ(doc.Find("[A", "B;#"), "5");
    EXPECT_EQ(doc.Find("B", "y"), "2");
}

TEST(IniFuzzRegression, TheFileIsLeftAsItWasForARefusedKey) {
    TempFolder folder;
    const std::string path = folder.File("monitor.ini");
    Spit(path, kFile);
    platform::IniFile ini(path);
    EXPECT_THROW(ini.WriteString("A", "[B]z", "3"), std::invalid_argument);
    EXPECT_THROW(ini.WriteEntries({{"A", "x", "7"}, {"A", ";x", "8"}}), std::invalid_argument);
    EXPECT_EQ(Slurp(path), kFile);
    EXPECT_EQ(ini.ReadInteger("B", "y", 0), 2);
}

}  // namespace
