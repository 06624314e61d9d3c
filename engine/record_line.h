#pragma once
// The record line: one sample as a line of text, and the parsers that read its fields back.
//
//   T1=37,5  T2=36,6  T3=28,0  HM=55  OUT=_2__5___  06.12.26 12:34:56
//
// The parsers never fail: a malformed line yields some text, possibly empty.

#include <string>
#include <string_view>

#include "common/local_time.h"

// Builds a line from the already formatted temperatures.
std::string MakeRecordLine(std::string_view t1, std::string_view t2, std::string_view t3, int hm,
                           std::string_view outputs, const LocalDateTime& when);

std::string get_T1(std::string_view line);
std::string get_T2(std::string_view line);
std::string get_T3(std::string_view line);
std::string get_HM(std::string_view line);
std::string get_outs(std::string_view line);
std::string get_date(std::string_view line);
std::string get_time(std::string_view line);
bool get_N(std::string_view line);  // heater output on
