#pragma once
// A make-believe incubator controller: a thermostat around 37.5 degrees, wet bulb or humidity
// near the incubation setting, tray turnings, and, on request, alarm and emergency outputs now
// and then. Produces whole packets with correct checksums.

#include <cstdint>
#include <random>
#include <vector>

class ControllerModel {
  public:
    struct Options {
        bool nine_byte = false;      // the SHT10 layout with humidity
        bool alarms = false;         // occasional alarm and emergency outputs
        double tray_period_s = 180;  // between tray turnings
        std::uint32_t seed = 1;
    };

    explicit ControllerModel(const Options& options);

    // Advances the model by `dt_s` seconds and returns the packet the controller sends then.
    std::vector<std::uint8_t> NextPacket(double dt_s);

  private:
    std::uint8_t Outputs();
    void Advance(double dt_s);

    Options options_;
    std::mt19937 rng_;
    double time_s_ = 0;
    double t1_ = 37.3, t2_ = 37.2;  // dry bulb, degrees
    double humidity_ = 55;          // percent
    bool heater_ = true;
    bool humidifier_ = false;
    bool reverse_ = false;
    double next_turn_s_;
    double turning_until_s_ = -1;
    double alarm_until_s_ = -1, cooling_until_s_ = -1, relay_until_s_ = -1;
};

// XOR of every byte but the last, stored as the last.
void SealPacket(std::vector<std::uint8_t>& packet);
