#include "tools/sim_options.h"

#include <charconv>
#include <cstring>

const char* const kSimHelp =
    R"(incubator-sim: sends the telemetry packets of an incubator controller.

By default it creates a pseudo-terminal, prints the path of the end to open (for instance
/dev/pts/3) on the first line of its output, waits until somebody opens that end, and then
sends one packet per second. Packets are written whole and without blocking; while nobody has
the other end open it waits without sending.

Options:
  --device PATH        send to this serial device instead (raw mode at --baud)
  --baud N             rate of --device (default 4800)
  --layout 8|9         8: outputs, T1, T2, T3 wet bulb, checksum (default);
                       9: outputs, T1, T2, T3 in tenths, humidity, checksum (SHT10 firmware)
  --rate R             packets per second, fractions allowed (default 1)
  --count N            stop after N packets have been written; with a pseudo-terminal, exit
                       once the other end has been closed (default: send until stopped)
  --burst N            write 1 to N packets (chosen at random) in one write, keeping the rate
                       (default 1)
  --bad-checksum P     spoil the checksum of P percent of the packets (default 0)
  --drop P             leave out P percent of the bytes (default 0)
  --lose-head P        leave out the first bytes (1 to all but the last, as many as chance
                       has it) of P percent of the packets, as when a reader misses the
                       start of a write (default 0)
  --repeat N           send each reading in N packets running: identical packets, as from a
                       controller whose readings stand still (default 1)
  --silence-every S    every S seconds of sending ...
  --silence S          ... send nothing for S seconds (default: never)
  --split MS           write each packet in two pieces MS milliseconds apart, cut at a random
                       place, as a USB adapter hands bytes over in chunks (up to 16 ms apart);
                       a pseudo-terminal otherwise delivers each write whole (default 0)
  --alarms             now and then switch on the alarm sound, emergency cooling and
                       emergency relay outputs
  --tray-period S      seconds between tray turnings (default 180)
  --seed N             seed of the random choices (default: from the clock)
  --log FILE           write a line per packet, after its write: number, write number, "ok",
                       "bad-checksum" or "dropped", and the bytes as sent in hex; "lost" and
                       no bytes when the reader went away during the write
  --link PATH          make PATH a symbolic link to the pseudo-terminal's end; then SIGUSR1
                       closes the pseudo-terminal (a hang-up, as of an adapter pulled out)
                       and makes a new one behind the same link; standard error tells when
                       the reader is back
  --help               this text

Values: T1 and T2 around 37.5 degrees with the heater output switching as a thermostat would,
T3 (wet bulb) or the humidity near 55 %, the tray outputs turning every --tray-period seconds.
)";

namespace {

template <typename T>
bool ParseNumber(const char* text, T& value) {
    const char* end = text + std::strlen(text);
    const auto r = std::from_chars(text, end, value);
    return r.ec == std::errc() && r.ptr == end;
}

}  // namespace

std::optional<SimOptions> ParseSimOptions(int argc, char** argv, std::string& error) {
    SimOptions o;
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "--help" || name == "-h") {
            o.help = true;
            continue;
        }
        if (name == "--alarms") {
            o.alarms = true;
            continue;
        }
        if (i + 1 >= argc) {
            error = "missing value after " + name;
            return std::nullopt;
        }
        const char* value = argv[++i];
        bool ok = true;
        if (name == "--device") {
            o.device = value;
        } else if (name == "--log") {
            o.log = value;
        } else if (name == "--link") {
            o.link = value;
            ok = !o.link.empty();
        } else if (name == "--baud") {
            ok = ParseNumber(value, o.baud) && o.baud > 0;
        } else if (name == "--layout") {
            const std::string v = value;
            ok = v == "8" || v == "9";
            o.nine_byte = v == "9";
        } else if (name == "--rate") {
            ok = ParseNumber(value, o.rate) && o.rate > 0 && o.rate <= 10000;
        } else if (name == "--count") {
            ok = ParseNumber(value, o.count) && o.count >= 0;
        } else if (name == "--burst") {
            ok = ParseNumber(value, o.burst) && o.burst >= 1 && o.burst <= 100;
        } else if (name == "--bad-checksum") {
            ok = ParseNumber(value, o.bad_checksum) && o.bad_checksum >= 0 && o.bad_checksum <= 100;
        } else if (name == "--drop") {
            ok = ParseNumber(value, o.drop) && o.drop >= 0 && o.drop <= 100;
        } else if (name == "--lose-head") {
            ok = ParseNumber(value, o.lose_head) && o.lose_head >= 0 && o.lose_head <= 100;
        } else if (name == "--repeat") {
            ok = ParseNumber(value, o.repeat) && o.repeat >= 1;
        } else if (name == "--silence-every") {
            ok = ParseNumber(value, o.silence_every) && o.silence_every >= 0;
        } else if (name == "--silence") {
            ok = ParseNumber(value, o.silence) && o.silence >= 0;
        } else if (name == "--split") {
            ok = ParseNumber(value, o.split_ms) && o.split_ms >= 0 && o.split_ms <= 1000;
        } else if (name == "--tray-period") {
            ok = ParseNumber(value, o.tray_period) && o.tray_period >= 0;
        } else if (name == "--seed") {
            std::uint32_t seed = 0;
            ok = ParseNumber(value, seed);
            o.seed = seed;
        } else {
            error = "unknown option " + name + " (see --help)";
            return std::nullopt;
        }
        if (!ok) {
            error = "bad value for " + name + ": " + value;
            return std::nullopt;
        }
    }
    if (!o.link.empty() && !o.device.empty()) {
        error = "--link needs the pseudo-terminal, not --device";
        return std::nullopt;
    }
    return o;
}
