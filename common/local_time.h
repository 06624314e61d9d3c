#pragma once
// The computer's local date and time, and the fixed date/time patterns of the record lines.

#include <chrono>
#include <string>

// A moment, as the system clock gives it: what a sample is stamped with.
using SystemTime = std::chrono::system_clock::time_point;

struct LocalDateTime {
    int year = 2000;  // full year
    int month = 1;    // 1..12
    int day = 1;      // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
};

LocalDateTime CurrentLocalDateTime();

// The computer's local date and time at `t` (whole seconds).
LocalDateTime LocalDateTimeAt(SystemTime t);
// The moment a local date and time names (of an hour that a change of offset repeats, the
// one mktime chooses).
SystemTime SystemTimeOf(const LocalDateTime& local);

std::string FormatDateDdMmYy(const LocalDateTime& t);  // "06.12.26"
std::string FormatTimeHhMmSs(const LocalDateTime& t);  // "12:34:56"
