#include "engine/autosave_period.h"

std::uint32_t AutosaveIntervalMs(int minutes) {
    return minutes <= 0 ? 0 : platform::IntervalMs(minutes, 60000, 1);
}

void FollowAutosavePeriod(const EngineSettings& settings, platform::Timer& save_file) {
    const std::uint32_t ms = AutosaveIntervalMs(settings.AutosaveMinutes);
    if (ms == 0) {
        save_file.SetEnabled(false);
        return;
    }
    if (save_file.Interval() != ms) save_file.SetInterval(ms);
    save_file.SetEnabled(true);
}
