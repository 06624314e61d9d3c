#pragma once
// The autosave timer's period, from the settings' minutes.

#include <cstdint>

#include "engine/engine_settings.h"
#include "platform/timer.h"

// The autosave every `minutes`, held within what a timer takes; 0 (no timer) when it is 0 or
// less.
std::uint32_t AutosaveIntervalMs(int minutes);

// The autosave timer follows the settings: it runs every period, stopped at 0. A period that
// stays the same leaves it counting where it was: setting it again would start its count
// over, and settings applied often would hold the autosave off.
void FollowAutosavePeriod(const EngineSettings& settings, platform::Timer& save_file);
