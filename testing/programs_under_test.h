#pragma once
// The programs an end-to-end test runs each in a folder of its own, with the configuration file
// incubator-monitor.ini and the daily files in log/ there: the window program (a copy of it in
// the folder, on the offscreen platform) when it is built, and the service.

#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

struct ProgramUnderTest {
    std::string name;  // "Window" or "Service"
    // The command that runs it in `folder`, its record lines echoed on standard output.
    std::function<std::vector<std::string>(const std::string& folder)> command;
    std::vector<std::string> environment;
};

inline void PrintTo(const ProgramUnderTest& program, std::ostream* out) {
    *out << program.name;
}

inline std::vector<ProgramUnderTest> ProgramsUnderTest() {
    std::vector<ProgramUnderTest> programs;
#ifdef INCUBATOR_MONITOR_PATH
    programs.push_back({"Window",
                        [](const std::string& folder) {
                            // A copy keeps its configuration and statistics beside itself.
                            const std::string exe = folder + "/incubator-monitor";
                            if (!std::filesystem::exists(exe))
                                std::filesystem::copy_file(INCUBATOR_MONITOR_PATH, exe);
                            return std::vector<std::string>{exe, "--echo"};
                        },
                        {"QT_QPA_PLATFORM=offscreen"}});
#endif
    programs.push_back({"Service",
                        [](const std::string& folder) {
                            return std::vector<std::string>{INCUBATOR_MONITORD_PATH, "--config",
                                                            folder + "/incubator-monitor.ini",
                                                            "--echo"};
                        },
                        {}});
    return programs;
}
