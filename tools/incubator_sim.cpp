// incubator-sim: the controller simulator of the demo, the tests and the benchmarks.
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "tools/controller_model.h"
#include "tools/sim_burst.h"
#include "tools/sim_damage.h"
#include "tools/sim_hang_up.h"
#include "tools/sim_line.h"
#include "tools/sim_options.h"

namespace {

using Clock = std::chrono::steady_clock;

int Run(const SimOptions& o) {
    SimLine line;
    if (o.device.empty()) {
        std::string path;
        if (int e = SimLine::OpenPseudoTerminal(line, path)) {
            std::fprintf(stderr, "incubator-sim: no pseudo-terminal: %s\n", std::strerror(e));
            return 1;
        }
        std::printf("%s\n", path.c_str());
        std::fflush(stdout);
        if (!o.link.empty()) {
            if (int e = PointLink(o.link, path)) {
                std::fprintf(stderr, "incubator-sim: cannot make the link %s: %s\n", o.link.c_str(),
                             std::strerror(e));
                return 1;
            }
            InstallHangUpSignal();
        }
    } else if (int e = SimLine::OpenDevice(line, o.device, o.baud)) {
        std::fprintf(stderr, "incubator-sim: cannot use %s: %s\n", o.device.c_str(),
                     std::strerror(e));
        return 1;
    }

    const std::uint32_t seed =
        o.seed ? *o.seed : static_cast<std::uint32_t>(Clock::now().time_since_epoch().count());
    std::mt19937 rng(seed);
    std::uniform_int_distribution<unsigned> burst_size(1, o.burst);
    ControllerModel model({o.nine_byte, o.alarms, o.tray_period, seed});
    const SimDamage damage{o.bad_checksum, o.drop, o.lose_head};
    std::vector<std::uint8_t> reading;
    std::ofstream log;
    if (!o.log.empty()) log.open(o.log);

    line.WaitForReader();
    auto next = Clock::now();
    auto next_silence = next + std::chrono::duration<double>(o.silence_every);
    // `sent` counts the packets written; `made` also those lost with a failed write.
    long long sent = 0, made = 0, writes = 0;
    int hang_ups = 0;
    while (o.count < 0 || sent < o.count) {
        if (TakeHangUpRequest()) {
            if (int e = HangUpAndReplace(line, o.link, ++hang_ups)) {
                std::fprintf(stderr, "incubator-sim: no new pseudo-terminal: %s\n",
                             std::strerror(e));
                return 1;
            }
            next = Clock::now();
        }
        if (o.silence_every > 0 && o.silence > 0 && Clock::now() >= next_silence) {
            std::this_thread::sleep_for(std::chrono::duration<double>(o.silence));
            next = Clock::now();
            next_silence = next + std::chrono::duration<double>(o.silence_every);
        }
        long long k = burst_size(rng);
        if (o.count >= 0) k = std::min(k, o.count - sent);
        std::vector<SimPacket> burst;
        for (long long i = 0; i < k; ++i) {
            std::vector<std::uint8_t> packet = model.NextPacket(1 / o.rate);
            // The readings sent stand for --repeat packets.
            if ((made + i) % o.repeat == 0) reading = packet;
            burst.push_back(DamagePacket(reading, damage, rng));
        }
        // Nothing goes out while nobody listens.
        if (!line.ReaderPresent()) {
            line.WaitForReader();
            next = Clock::now();
        }
        const auto planned = next;
        const auto write_started = Clock::now();
        const bool written = SendBurst(
            burst, made, writes,
            [&](const std::vector<std::uint8_t>& bytes) {
                if (o.split_ms <= 0) return line.WriteAll(bytes);
                const auto pieces = CutLikeAnAdapter(burst, rng);
                for (std::size_t i = 0; i < pieces.size(); ++i) {
                    if (i > 0)
                        std::this_thread::sleep_for(
                            std::chrono::duration<double, std::milli>(o.split_ms));
                    if (!line.WriteAll(pieces[i])) return false;
                }
                return true;
            },
            log.is_open() ? &log : nullptr);
        made += k;
        ++writes;
        if (written) {
            sent += k;
        } else {
            // The reader went away during the write: wait for the next one.
            line.WaitForReader();
            next = Clock::now();
        }
        const auto period = std::chrono::duration_cast<Clock::duration>(
            std::chrono::duration<double>(static_cast<double>(k) / o.rate));
        next += period;
        // A write late by more than a quarter of its period (this process was not scheduled)
        // does not make up for it by sending the next one early: a controller's packets never
        // come much closer together than its rate says.
        if (write_started - planned > period / 4) next = write_started + period;
        std::this_thread::sleep_until(next);
    }
    line.Drain();
    line.WaitForReaderToLeave();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::signal(SIGPIPE, SIG_IGN);
    std::string error;
    const auto options = ParseSimOptions(argc, argv, error);
    if (!options) {
        std::fprintf(stderr, "incubator-sim: %s\n", error.c_str());
        return 2;
    }
    if (options->help) {
        std::fputs(kSimHelp, stdout);
        return 0;
    }
    return Run(*options);
}
