#pragma once
// Command line of incubator-sim.

#include <cstdint>
#include <optional>
#include <string>

struct SimOptions {
    std::string device;  // empty: create a pseudo-terminal
    unsigned baud = 4800;
    bool nine_byte = false;
    double rate = 1;           // packets per second
    long long count = -1;      // packets to send; -1 without end
    unsigned burst = 1;        // up to this many packets per write
    double bad_checksum = 0;   // percent of packets
    double drop = 0;           // percent of bytes
    double lose_head = 0;      // percent of packets that lose their first bytes
    long long repeat = 1;      // packets each reading is sent in
    double silence_every = 0;  // seconds between silences; 0 never
    double silence = 0;        // seconds of each silence
    double split_ms = 0;       // pause between the two pieces of each packet; 0 writes whole
    bool alarms = false;
    double tray_period = 180;
    std::optional<std::uint32_t> seed;
    std::string log;   // one line per packet
    std::string link;  // a symbolic link to the pseudo-terminal; SIGUSR1 hangs up
    bool help = false;
};

// Parses the arguments; on a mistake returns nothing and sets `error`.
std::optional<SimOptions> ParseSimOptions(int argc, char** argv, std::string& error);

extern const char* const kSimHelp;
