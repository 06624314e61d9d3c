#pragma once
// The text forms of the port settings, as the settings file and the setup lists show them.
// Text to value ignores letter case, takes the first match in table order and gives a fixed
// value for an unknown text.

#include <string>
#include <string_view>

#include "serial/serial_types.h"

std::string BaudRateToText(TBaudRate value);            // "Custom", "110", ... "256000"
TBaudRate TextToBaudRate(std::string_view text);        // unknown: br9600
std::string StopBitsToText(TStopBits value);            // "1", "1.5", "2"
TStopBits TextToStopBits(std::string_view text);        // unknown: sbOneStopBit
std::string DataBitsToText(TDataBits value);            // "5" ... "8"
TDataBits TextToDataBits(std::string_view text);        // unknown: dbEight
std::string ParityToText(TParityBits value);            // "None", "Odd", "Even", "Mark", "Space"
TParityBits TextToParity(std::string_view text);        // unknown: prNone
std::string FlowControlToText(TFlowControl value);      // "Hardware", "Software", "None", "Custom"
TFlowControl TextToFlowControl(std::string_view text);  // unknown: fcCustom
std::string DtrControlToText(TDTRFlowControl value);    // "Disable", "Enable", "Handshake"
TDTRFlowControl TextToDtrControl(std::string_view text);  // unknown: dtrDisable
std::string RtsControlToText(TRTSFlowControl value);  // "Disable", "Enable", "Handshake", "Toggle"
TRTSFlowControl TextToRtsControl(std::string_view text);  // unknown: rtsDisable
std::string BoolToYesNo(bool value);                      // "Yes", "No"
bool YesNoToBool(std::string_view text);                  // only "yes" in any case is true

// Codes 0 to 32 as "#" and the decimal code, any other character as itself.
std::string CharToText(char value);
// Empty: code 0. "#" and more: the low 8 bits of the decimal number after it (0 when it is
// none). Anything else, "#" alone included: its first character.
char TextToChar(std::string_view text);

// The texts of a setting in table order, for the setup lists.
inline constexpr int kBaudRateCount = 16;
inline constexpr int kStopBitsCount = 3;
inline constexpr int kDataBitsCount = 4;
inline constexpr int kParityCount = 5;
inline constexpr int kFlowControlCount = 4;
