#include "tools/controller_model.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kSetpoint = 37.5;
constexpr double kHysteresis = 0.1;
constexpr double kHumiditySetting = 55;
constexpr double kTurnSeconds = 8;

void PutU16(std::vector<std::uint8_t>& p, double value) {
    const auto v = static_cast<std::uint16_t>(std::clamp(std::lround(value), 0L, 65535L));
    p.push_back(static_cast<std::uint8_t>(v & 0xFF));
    p.push_back(static_cast<std::uint8_t>(v >> 8));
}

// Wet-bulb temperature that goes with a dry bulb and a humidity near incubation conditions.
double WetBulb(double dry, double humidity) {
    return dry - (100 - humidity) * 0.19;
}

}  // namespace

void SealPacket(std::vector<std::uint8_t>& packet) {
    std::uint8_t x = 0;
    for (std::size_t i = 0; i + 1 < packet.size(); ++i) x ^= packet[i];
    packet.back() = x;
}

ControllerModel::ControllerModel(const Options& options)
    : options_(options), rng_(options.seed), next_turn_s_(options.tray_period_s) {}

void ControllerModel::Advance(double dt_s) {
    std::normal_distribution<double> noise(0, 0.01);
    time_s_ += dt_s;
    // Thermostat with hysteresis: heating is faster than cooling.
    t1_ += (heater_ ? 0.02 : -0.012) * dt_s + noise(rng_);
    if (t1_ < kSetpoint - kHysteresis) heater_ = true;
    if (t1_ > kSetpoint + kHysteresis) heater_ = false;
    t2_ += (t1_ - 0.1 - t2_) * std::min(1.0, 0.2 * dt_s) + noise(rng_);

    humidity_ += (humidifier_ ? 0.15 : -0.05) * dt_s + 5 * noise(rng_);
    if (humidity_ < kHumiditySetting - 2) humidifier_ = true;
    if (humidity_ > kHumiditySetting + 2) humidifier_ = false;

    if (options_.tray_period_s > 0 && time_s_ >= next_turn_s_) {
        turning_until_s_ = time_s_ + kTurnSeconds;
        reverse_ = !reverse_;
        next_turn_s_ += options_.tray_period_s;
    }
    if (options_.alarms) {
        std::uniform_real_distribution<double> chance(0, 1);
        if (time_s_ > alarm_until_s_ && chance(rng_) < dt_s / 120) alarm_until_s_ = time_s_ + 5;
        if (time_s_ > cooling_until_s_ && chance(rng_) < dt_s / 300)
            cooling_until_s_ = time_s_ + 10;
        if (time_s_ > relay_until_s_ && chance(rng_) < dt_s / 600) relay_until_s_ = time_s_ + 3;
    }
}

std::uint8_t ControllerModel::Outputs() {
    std::uint8_t out = 0;
    if (time_s_ < alarm_until_s_) out |= 0x01;
    if (heater_) out |= 0x02;
    if (std::fabs(t1_ - t2_) > 0.3) out |= 0x04;
    if (humidifier_) out |= 0x08;
    if (time_s_ < turning_until_s_) out |= 0x10;
    if (reverse_) out |= 0x20;
    if (time_s_ < cooling_until_s_) out |= 0x40;
    if (time_s_ < relay_until_s_) out |= 0x80;
    return out;
}

std::vector<std::uint8_t> ControllerModel::NextPacket(double dt_s) {
    Advance(dt_s);
    std::vector<std::uint8_t> p;
    p.push_back(Outputs());
    PutU16(p, t1_ * 16);
    PutU16(p, t2_ * 16);
    if (options_.nine_byte) {
        PutU16(p, WetBulb(t1_, humidity_) * 10);
        p.push_back(static_cast<std::uint8_t>(std::clamp(std::lround(humidity_), 0L, 100L)));
    } else {
        PutU16(p, WetBulb(t1_, humidity_) * 16);
    }
    p.push_back(0);
    SealPacket(p);
    return p;
}
