#include "platform/ini_file.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <filesystem>

#include <gtest/gtest.h>

#include "testing/temp_folder.h"

namespace {

using platform::IniFile;
using platform::IniWriteError;
using platform::ParseIniInteger;

class IniFileTest : public ::testing::Test {
  protected:
    std::string Path() const { return folder_.File("x.ini"); }
    IniFile Ini() const { return IniFile(Path()); }
    bool OnlyTheFileIsThere() const { return folder_.Names() == std::vector<std::string>{"x.ini"}; }

    // Expects `write` to fail with the exact message and `error`, leaving `before` as it was.
    template <class Write>
    void ExpectRefused(Write write, int error, const std::string& before) {
        try {
            write();
            ADD_FAILURE() << "the write succeeded";
        } catch (const IniWriteError& e) {
            EXPECT_STREQ(e.what(), ("Unable to write to " + Path()).c_str());
            EXPECT_EQ(e.SystemError(), error);
        }
        EXPECT_EQ(Slurp(Path()), before);
    }

    TempFolder folder_;
};

TEST(IniInteger, DecimalOrHexadecimalWithThePrefixAnythingElseIsNoNumber) {
    EXPECT_EQ(ParseIniInteger("0x1E"), 30);
    EXPECT_EQ(ParseIniInteger(" 0X1e "), 30);
    EXPECT_EQ(ParseIniInteger("0xFFFFFFFF"), -1);
    EXPECT_EQ(ParseIniInteger("16711680"), 16711680);
    EXPECT_EQ(ParseIniInteger("-42"), -42);
    EXPECT_EQ(ParseIniInteger("+7"), 7);
    EXPECT_EQ(ParseIniInteger("010"), 10) << "a leading zero is no octal";
    EXPECT_EQ(ParseIniInteger("2147483647"), INT_MAX);
    for (const char* bad : {"", "0x", "0x1G", "0x-1", "0x100000000", "12abc", "1 2", "2147483648",
                            "1,5", "x1E", "true"}) {
        EXPECT_FALSE(ParseIniInteger(bad)) << bad;
    }
}

TEST_F(IniFileTest, MissingFileSectionOrKeyGivesTheFallbackAndCreatesNothing) {
    const IniFile ini = Ini();
    EXPECT_FALSE(ini.Read("Form", "Top"));
    EXPECT_EQ(ini.ReadString("Alarm", "Sound", "default"), "default");
    EXPECT_EQ(ini.ReadInteger("Form", "Top", 100), 100);
    EXPECT_TRUE(ini.ReadBool("Alarm", "T1_enable", true));
    EXPECT_FALSE(ini.SectionExists("Form"));
    EXPECT_TRUE(folder_.Names().empty());
}

TEST_F(IniFileTest, ValuesComeBackAsWritten) {
    IniFile ini = Ini();
    ini.WriteString("Alarm", "Sound", "Windows XP - ошибка.wav");
    ini.WriteString("ScrollBar", "OfsetNagreCurve", "a=b=c");
    ini.WriteInteger("Form", "Top", -12);
    ini.WriteInteger("Color", "Odd", INT_MIN);
    ini.WriteBool("Form", "InitMax", true);
    ini.WriteBool("Form", "MinToTrey", false);
    EXPECT_EQ(ini.ReadString("alarm", "SOUND", ""), "Windows XP - ошибка.wav");
    EXPECT_EQ(ini.ReadString("ScrollBar", "OfsetNagreCurve", ""), "a=b=c");
    EXPECT_EQ(ini.ReadInteger("Form", "Top", 0), -12);
    EXPECT_EQ(ini.ReadInteger("Color", "Odd", 0), INT_MIN);
    EXPECT_EQ(ini.Read("Form", "InitMax"), "1");
    EXPECT_EQ(ini.Read("Form", "MinToTrey"), "0");
    EXPECT_EQ(ini.ReadSectionKeys("form"),
              (std::vector<std::string>{"Top", "InitMax", "MinToTrey"}));
    EXPECT_TRUE(OnlyTheFileIsThere());
}

TEST_F(IniFileTest, NumbersThatDoNotParseGiveTheFallbackBooleansAreAnyNonZero) {
    Spit(Path(), "[A]\nhex=0x1E\nbad=12abc\nb2=2\nbneg=-1\nb0=0\nbtext=yes\n");
    const IniFile ini = Ini();
    EXPECT_EQ(ini.ReadInteger("A", "hex", 0), 30);
    EXPECT_EQ(ini.ReadInteger("A", "bad", 77), 77);
    EXPECT_TRUE(ini.ReadBool("A", "b2", false));
    EXPECT_TRUE(ini.ReadBool("A", "bneg", false));
    EXPECT_FALSE(ini.ReadBool("A", "b0", true));
    EXPECT_TRUE(ini.ReadBool("A", "btext", true));
    EXPECT_FALSE(ini.ReadBool("A", "btext", false));
}

TEST_F(IniFileTest, LongValuesAreCutAt2047BytesOnACharacterBoundary) {
    const std::string ya = "я", euro = "€", smile = "\xF0\x9F\x98\x80";
    Spit(Path(), "[A]\nascii=" + std::string(2047, 'a') + "bcd\ntwo=" + std::string(2046, 'a') +
                     ya + "\nthree=" + std::string(2045, 'a') + euro +
                     "\nfour=" + std::string(2044, 'a') + smile +
                     "\nfits=" + std::string(2045, 'a') + ya + "\n");
    const IniFile ini = Ini();
    EXPECT_EQ(ini.Read("A", "ascii"), std::string(2047, 'a'));
    EXPECT_EQ(ini.Read("A", "two"), std::string(2046, 'a'));
    EXPECT_EQ(ini.Read("A", "three"), std::string(2045, 'a'));
    EXPECT_EQ(ini.Read("A", "four"), std::string(2044, 'a'));
    EXPECT_EQ(ini.Read("A", "fits"), std::string(2045, 'a') + ya);
}

TEST_F(IniFileTest, AWriteKeepsEverythingElseAsItStood) {
    const std::string before =
        "; settings\n[form]\nTOP = 5\n# note\n\n[Other]\nkeep=this one\n[Alarm]\nSound=x.wav\n";
    Spit(Path(), before);
    IniFile ini = Ini();
    ini.WriteInteger("Form", "Top", 7);
    ini.WriteInteger("FORM", "Left", 9);
    ini.WriteString("Color", "T1", "0");
    EXPECT_EQ(Slurp(Path()),
              "; settings\n[form]\nTOP = 7\nLeft=9\n# note\n\n[Other]\nkeep=this one\n"
              "[Alarm]\nSound=x.wav\n\n[Color]\nT1=0\n");
    EXPECT_TRUE(OnlyTheFileIsThere());
}

TEST_F(IniFileTest, CrLfFilesStayCrLf) {
    Spit(Path(), "[Form]\r\nTop=1\r\n\r\n[Alarm]\r\nSound=a.wav\r\n");
    IniFile ini = Ini();
    EXPECT_EQ(ini.ReadInteger("Form", "Top", 0), 1);
    EXPECT_EQ(ini.ReadString("Alarm", "Sound", ""), "a.wav");
    ini.WriteEntries({{"Form", "Top", "2"}, {"Form", "Left", "3"}, {"LogFile", "Time", "10"}});
    EXPECT_EQ(
        Slurp(Path()),
        "[Form]\r\nTop=2\r\nLeft=3\r\n\r\n[Alarm]\r\nSound=a.wav\r\n\r\n[LogFile]\r\nTime=10\r\n");
}

TEST_F(IniFileTest, AFileThatIsNoIniFileReadsEmptyAndKeepsItsBytesUntilWritten) {
    std::string garbage;
    for (int i = 0; i < 300; ++i) garbage.push_back(static_cast<char>((i * 37) % 256));
    Spit(Path(), garbage);
    IniFile ini = Ini();
    EXPECT_EQ(ini.ReadInteger("Form", "Top", 100), 100);
    EXPECT_TRUE(ini.ReadSectionKeys("Form").empty());
    EXPECT_EQ(Slurp(Path()), garbage);
    ini.WriteInteger("Form", "Top", 5);
    const std::string after = Slurp(Path());
    ASSERT_TRUE(after.starts_with(garbage));
    EXPECT_TRUE(after.ends_with("[Form]\nTop=5\n"));
    EXPECT_EQ(ini.ReadInteger("Form", "Top", 100), 5);
}

TEST_F(IniFileTest, WriteEntriesIsOneReplacementAllOrNothing) {
    Spit(Path(), "[A]\nx=1\n");
    IniFile ini = Ini();
    EXPECT_THROW(ini.WriteEntries({{"A", "x", "2"}, {"A", "bad=key", "3"}}), std::invalid_argument);
    EXPECT_EQ(Slurp(Path()), "[A]\nx=1\n");
    ini.WriteEntries({{"A", "x", "2"}, {"B", "y", "3"}, {"A", "z", "4"}});
    EXPECT_EQ(Slurp(Path()), "[A]\nx=2\nz=4\n\n[B]\ny=3\n");
}

TEST_F(IniFileTest, EraseSectionRewritesOnlyWhenThereIsOne) {
    IniFile ini = Ini();
    ini.EraseSection("ComPort1");
    EXPECT_TRUE(folder_.Names().empty());
    ini.WriteString("ComPort1", "Port", "COM1");
    ini.WriteString("Form", "Top", "1");
    ini.EraseSection("comport1");
    EXPECT_FALSE(ini.SectionExists("ComPort1"));
    EXPECT_EQ(Slurp(Path()), "[Form]\nTop=1\n");
}

TEST_F(IniFileTest, AMissingFolderIsAFailureWithTheExactMessage) {
    const TempFolder other;
    const std::string path = other.File("gone/x.ini");
    IniFile ini(path);
    try {
        ini.WriteInteger("Form", "Top", 1);
        FAIL() << "the write succeeded";
    } catch (const IniWriteError& e) {
        EXPECT_STREQ(e.what(), ("Unable to write to " + path).c_str());
        EXPECT_EQ(e.SystemError(), ENOENT);
    }
    EXPECT_TRUE(other.Names().empty());
}

TEST_F(IniFileTest, AFolderRemovedAfterReadingIsAFailure) {
    const TempFolder other;
    const std::string sub = other.File("sub");
    ASSERT_EQ(::mkdir(sub.c_str(), 0755), 0);
    IniFile ini(sub + "/x.ini");
    EXPECT_EQ(ini.ReadInteger("Form", "Top", 100), 100);
    ASSERT_EQ(::rmdir(sub.c_str()), 0);
    EXPECT_THROW(ini.WriteInteger("Form", "Top", 1), IniWriteError);
    EXPECT_TRUE(other.Names().empty());
}

TEST_F(IniFileTest, APathThatIsAFolderReadsEmptyAndRefusesWrites) {
    ASSERT_EQ(::mkdir(Path().c_str(), 0755), 0);
    IniFile ini = Ini();
    EXPECT_EQ(ini.ReadInteger("Form", "Top", 100), 100);
    ExpectRefused([&] { ini.WriteInteger("Form", "Top", 1); }, EISDIR, "");
    EXPECT_TRUE(std::filesystem::is_directory(Path()));
    EXPECT_TRUE(OnlyTheFileIsThere());
}

TEST_F(IniFileTest, AFifoInTheFilesPlaceNeitherHangsNorIsReplaced) {
    ASSERT_EQ(::mkfifo(Path().c_str(), 0644), 0);
    IniFile ini = Ini();
    EXPECT_EQ(ini.ReadString("A", "x", "fallback"), "fallback");
    EXPECT_THROW(ini.WriteString("A", "x", "1"), IniWriteError);
    EXPECT_TRUE(std::filesystem::is_fifo(Path()));
}

// The file-size limit makes the temporary file's write fail halfway, which even root cannot
// bypass: the old file must stay whole and the temporary file must go.
TEST_F(IniFileTest, AFailedWriteLeavesTheOldFileAndNoTemporaryFile) {
    const std::string before = "[Form]\nTop=1\n";
    Spit(Path(), before);
    IniFile ini = Ini();
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto old_handler = ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 1000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    ExpectRefused([&] { ini.WriteString("Alarm", "Sound", std::string(5000, 's')); }, EFBIG,
                  before);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, old_handler);
    EXPECT_TRUE(OnlyTheFileIsThere());
    EXPECT_EQ(ini.ReadInteger("Form", "Top", 0), 1);
}

TEST_F(IniFileTest, TheOldFilesModeIsKeptAndANewFileFollowsTheUmask) {
    IniFile ini = Ini();
    const mode_t saved_mask = ::umask(027);
    ini.WriteInteger("Form", "Top", 1);
    ::umask(saved_mask);
    struct stat st {};
    ASSERT_EQ(::stat(Path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    ASSERT_EQ(::chmod(Path().c_str(), 0604), 0);
    ini.WriteInteger("Form", "Top", 2);
    ASSERT_EQ(::stat(Path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0604u);
}

TEST_F(IniFileTest, ALinkIsFollowedAndStaysALink) {
    ASSERT_EQ(::mkdir(folder_.File("real").c_str(), 0755), 0);
    Spit(folder_.File("real/x.ini"), "[A]\nx=1\n");
    ASSERT_EQ(::symlink("real/x.ini", Path().c_str()), 0);
    IniFile ini = Ini();
    ini.WriteInteger("A", "x", 2);
    EXPECT_TRUE(std::filesystem::is_symlink(Path()));
    EXPECT_EQ(Slurp(folder_.File("real/x.ini")), "[A]\nx=2\n");
    EXPECT_EQ(folder_.Names(), (std::vector<std::string>{"real", "x.ini"}));
    EXPECT_EQ(std::filesystem::directory_iterator(folder_.File("real"))->path().filename(),
              "x.ini");
}

TEST_F(IniFileTest, AWriteRemovesTemporaryFilesOfDeadWritersOnly) {
    const pid_t dead = ::fork();
    if (dead == 0) ::_exit(0);
    ASSERT_EQ(::waitpid(dead, nullptr, 0), dead);
    const std::string of_dead = ".x.ini." + std::to_string(dead) + ".abcdefgh.tmp";
    const std::string of_init = ".x.ini.1.abcdefgh.tmp";
    const std::string of_self = ".x.ini." + std::to_string(::getpid()) + ".abcdefgh.tmp";
    const std::string of_other_file = ".y.ini." + std::to_string(dead) + ".abcdefgh.tmp";
    for (const auto& name : {of_dead, of_init, of_self, of_other_file})
        Spit(folder_.File(name), "");
    Ini().WriteInteger("A", "x", 1);
    std::vector<std::string> expected{of_init, of_self, of_other_file, "x.ini"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(folder_.Names(), expected);
}

}  // namespace
