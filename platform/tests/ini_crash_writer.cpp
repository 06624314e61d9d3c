// Rewrites the crash test's file in a loop until it is killed. It says "r" on its standard
// output when it starts, so the test kills it while it writes rather than while it loads.

#include <unistd.h>

#include <cstdio>

#include "platform/ini_file.h"
#include "platform/tests/ini_crash_layout.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: ini_crash_writer FILE\n");
        return 2;
    }
    platform::IniFile ini(argv[1]);
    int g = ini.ReadInteger(crash_layout::kBulkSection, crash_layout::kFirstBulkKey, -1);
    if (g < 0) return 3;
    if (::write(STDOUT_FILENO, "r", 1) != 1) return 4;
    for (;;) {
        ++g;
        ini.WriteEntries(crash_layout::BulkEntries(g));
        ini.WriteInteger(crash_layout::kSingleSection, crash_layout::kSingleKey, g);
    }
}
