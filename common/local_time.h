#pragma once
// The computer's local date and time, and the fixed date/time patterns of the record lines.

#include <string>

struct LocalDateTime {
    int year = 2000;  // full year
    int month = 1;    // 1..12
    int day = 1;      // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
};

LocalDateTime CurrentLocalDateTime();

std::string FormatDateDdMmYy(const LocalDateTime& t);  // "06.12.26"
std::string FormatTimeHhMmSs(const LocalDateTime& t);  // "12:34:56"
