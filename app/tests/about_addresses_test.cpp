// The about window's addresses: the documents installed beside the program, else those of the
// source tree it was built from, and never a document that is not there.

#include "app/about_addresses.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "testing/temp_folder.h"

namespace {

namespace fs = std::filesystem;

// The project's documents under `root`: README.md and the three component folders.
void Documents(const std::string& root) {
    fs::create_directories(root);
    Spit(root + "/README.md", "# Incubator monitor\n");
    for (const char* folder : {"chart", "serial", "tray"})
        fs::create_directories(root + "/" + folder);
}

class AboutAddressesTest : public ::testing::Test {
  protected:
    TempFolder folder;
    const std::string prefix = folder.File("префикс");
    const std::string program = prefix + "/bin/incubator-monitor";
    const std::string installed = prefix + "/share/doc/incubator-monitor";
    const std::string source = folder.File("src #1");
};

TEST_F(AboutAddressesTest, AnInstalledProgramLinksTheDocumentsInItsPrefix) {
    Documents(installed);
    Documents(source);
    EXPECT_EQ(
        AboutAddressesFor(program, source),
        (AboutAddresses{FileAddress(installed + "/README.md"), FileAddress(installed + "/chart/"),
                        FileAddress(installed + "/serial/"), FileAddress(installed + "/tray/")}));
}

TEST_F(AboutAddressesTest, AProgramInItsBuildTreeOrACopyLinksTheSourceTree) {
    Documents(source);
    const AboutAddresses expected{FileAddress(source + "/README.md"),
                                  FileAddress(source + "/chart/"), FileAddress(source + "/serial/"),
                                  FileAddress(source + "/tray/")};
    EXPECT_EQ(AboutAddressesFor(folder.File("build/app/incubator-monitor"), source), expected);
    EXPECT_EQ(AboutAddressesFor(folder.File("build/demo/incubator-monitor"), source), expected);
    EXPECT_EQ(expected.home.substr(0, 7 + folder.Path().size()), "file://" + folder.Path());
    EXPECT_NE(expected.home.find("src %231/README.md"), std::string::npos);
}

TEST_F(AboutAddressesTest, ADocumentThatIsNowhereHasNoAddress) {
    fs::create_directories(source + "/chart");
    Spit(source + "/serial", "a file, not the folder");
    const AboutAddresses found = AboutAddressesFor(program, source);
    EXPECT_EQ(found, (AboutAddresses{"", FileAddress(source + "/chart/"), "", ""}));
    EXPECT_EQ(AboutAddressesFor(program, ""), AboutAddresses{});
    EXPECT_EQ(AboutAddressesFor("/nonexistent/bin/incubator-monitor", "/nonexistent/src"),
              AboutAddresses{});
}

TEST(AboutAddresses, EscapeOnlyWhatWouldChangeTheAddress) {
    EXPECT_EQ(FileAddress("/opt/a b/100%/#1?/x"), "file:///opt/a b/100%25/%231%3F/x");
}

}  // namespace
