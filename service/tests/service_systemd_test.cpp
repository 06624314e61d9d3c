// incubator-monitord as systemd runs it: its standard error on the journal's stream.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <sstream>
#include <string>
#include <vector>

#include "app/e2e/tests/child_process.h"
#include "app/e2e/tests/program_rig.h"
#include "platform/tests/temp_folder.h"

namespace {

using namespace std::chrono_literals;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// JOURNAL_STREAM as systemd sets it for a service whose output goes to the journal: the
// device and inode of that stream, here a file made for it.
std::string JournalStream(const std::string& file) {
    Spit(file, "");
    struct stat st {};
    ::stat(file.c_str(), &st);
    return "JOURNAL_STREAM=" + std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino);
}

TEST(ServiceJournal, LinesOnTheJournalsStreamCarryTheirPriorityAndStayPlainElsewhere) {
    ProgramRig rig;
    const std::string ini = rig.File("hall.ini");
    // A port that is not there: its warning, then the watchdog's every 3 seconds.
    Spit(ini, "[ComPort1]\nPort=" + rig.File("ttyINC") + "\nSignalOffData=1\n[LogFile]\nTime=1\n");
    rig.StartProgram({INCUBATOR_MONITORD_PATH, "--config", ini},
                     {JournalStream(rig.File("program.err"))});
    ASSERT_TRUE(WaitUntil(
        [&] { return rig.Errors().find("Нет данных от инкубатора.") != std::string::npos; }, 10s))
        << rig.Errors();
    ASSERT_TRUE(EndedNormally(rig.End(SIGTERM))) << rig.Errors();
    const std::vector<std::string> lines = Lines(rig.Errors());
    ASSERT_GE(lines.size(), 4u) << rig.Errors();
    EXPECT_TRUE(lines.front().starts_with("<6>incubator-monitord: configuration ")) << rig.Errors();
    EXPECT_EQ(lines.back(), "<6>incubator-monitord: ending on TERM");
    for (std::size_t i = 1; i + 1 < lines.size(); ++i)
        EXPECT_TRUE(lines[i].starts_with("<4>Внимание!: ")) << lines[i];

    // An error; and the same with a JOURNAL_STREAM inherited from elsewhere: plain.
    const std::string missing = rig.File("missing.ini");
    const std::string err = rig.File("missing.err");
    const std::string stream = JournalStream(err);
    for (const std::string& env : {stream, JournalStream(rig.File("other"))}) {
        ChildProcess service({INCUBATOR_MONITORD_PATH, "--config", missing}, "", err, {env});
        ASSERT_EQ(service.WaitForExit(10s), 1 << 8);
        EXPECT_EQ(Slurp(err).rfind(std::string(env == stream ? "<3>" : "") +
                                       "incubator-monitord: cannot read the configuration file " +
                                       missing,
                                   0),
                  0u)
            << Slurp(err);
    }
}

}  // namespace
