#include "serial/serial_text.h"

#include <array>

#include "common/text_format.h"
#include "common/text_parse.h"

namespace {

constexpr std::array<const char*, kBaudRateCount> kBaudTexts = {
    "Custom", "110",   "300",   "600",   "1200",  "2400",   "4800",   "9600",
    "14400",  "19200", "38400", "56000", "57600", "115200", "128000", "256000"};
constexpr std::array<const char*, kStopBitsCount> kStopTexts = {"1", "1.5", "2"};
constexpr std::array<const char*, kDataBitsCount> kDataTexts = {"5", "6", "7", "8"};
constexpr std::array<const char*, kParityCount> kParityTexts = {"None", "Odd", "Even", "Mark",
                                                                "Space"};
constexpr std::array<const char*, kFlowControlCount> kFlowTexts = {"Hardware", "Software", "None",
                                                                   "Custom"};
constexpr std::array<const char*, 3> kDtrTexts = {"Disable", "Enable", "Handshake"};
constexpr std::array<const char*, 4> kRtsTexts = {"Disable", "Enable", "Handshake", "Toggle"};

template <typename E, std::size_t N>
std::string ToText(const std::array<const char*, N>& texts, E value) {
    const auto i = static_cast<std::size_t>(value);
    return i < N ? texts[i] : "";
}

template <typename E, std::size_t N>
E FromText(const std::array<const char*, N>& texts, std::string_view text, E unmatched) {
    for (std::size_t i = 0; i < N; ++i)
        if (text::SameIgnoringCase(texts[i], text)) return static_cast<E>(i);
    return unmatched;
}

}  // namespace

std::string BaudRateToText(TBaudRate value) {
    return ToText(kBaudTexts, value);
}
TBaudRate TextToBaudRate(std::string_view text) {
    return FromText(kBaudTexts, text, br9600);
}
std::string StopBitsToText(TStopBits value) {
    return ToText(kStopTexts, value);
}
TStopBits TextToStopBits(std::string_view text) {
    return FromText(kStopTexts, text, sbOneStopBit);
}
std::string DataBitsToText(TDataBits value) {
    return ToText(kDataTexts, value);
}
TDataBits TextToDataBits(std::string_view text) {
    return FromText(kDataTexts, text, dbEight);
}
std::string ParityToText(TParityBits value) {
    return ToText(kParityTexts, value);
}
TParityBits TextToParity(std::string_view text) {
    return FromText(kParityTexts, text, prNone);
}
std::string FlowControlToText(TFlowControl value) {
    return ToText(kFlowTexts, value);
}
TFlowControl TextToFlowControl(std::string_view text) {
    return FromText(kFlowTexts, text, fcCustom);
}
std::string DtrControlToText(TDTRFlowControl value) {
    return ToText(kDtrTexts, value);
}
TDTRFlowControl TextToDtrControl(std::string_view text) {
    return FromText(kDtrTexts, text, dtrDisable);
}
std::string RtsControlToText(TRTSFlowControl value) {
    return ToText(kRtsTexts, value);
}
TRTSFlowControl TextToRtsControl(std::string_view text) {
    return FromText(kRtsTexts, text, rtsDisable);
}

std::string BoolToYesNo(bool value) {
    return value ? "Yes" : "No";
}
bool YesNoToBool(std::string_view text) {
    return text::SameIgnoringCase(text, "YES");
}

std::string CharToText(char value) {
    const auto code = static_cast<unsigned char>(value);
    if (code <= 32) return "#" + text::FormatInt(code);
    return std::string(1, value);
}

char TextToChar(std::string_view text) {
    if (text.empty()) return 0;
    if (text.front() == '#' && text.size() > 1) {
        const std::optional<int> code = text::ParseInt(text.substr(1));
        return code ? static_cast<char>(static_cast<unsigned>(*code) & 0xFFu) : 0;
    }
    return text.front();
}
