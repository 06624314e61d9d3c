#pragma once
// Alarm limits (tenths of a degree, percent) and the latched alarm flags.

struct AlarmLimits {
    int LimitT1Hi = 390;
    int LimitT1Low = 350;
    int LimitT2Hi = 390;
    int LimitT2Low = 350;
    int LimitHMHi = 90;
    int LimitHMLow = 30;
    friend bool operator==(const AlarmLimits&, const AlarmLimits&) = default;
};

struct AlarmFlags {
    bool AlarmT1 = false;
    bool AlarmT2 = false;
    bool AlarmHM = false;
    bool AlarmNoData = false;
    friend bool operator==(const AlarmFlags&, const AlarmFlags&) = default;
};

// Both bounds are inclusive: a value equal to a limit is an alarm.
inline bool OutsideLimits(double value, int high, int low) {
    return value >= high || value <= low;
}
