#pragma once
// The window's own keys of the configuration file, and which of its operations read and write
// every key, the engine's (config/engine_keys.h) among them. The typed keys are what the code
// uses; kKeyTable lists them all as data. The port component's own keys in section ComPort1
// (Port, BaudRate, ...) are not here: the port stores those itself.

#include <array>
#include <string_view>

#include "config/engine_keys.h"
#include "platform/canvas.h"

namespace config {

// Form
inline constexpr IntKey kTop{"Form", "Top", 100};
inline constexpr IntKey kLeft{"Form", "Left", 100};
inline constexpr IntKey kWidth{"Form", "Width", 584};
inline constexpr IntKey kHeight{"Form", "Height", 703};
inline constexpr BoolKey kMinToTrey{"Form", "MinToTrey", false};
inline constexpr BoolKey kInitMax{"Form", "InitMax", false};
inline constexpr BoolKey kChBoxGrafNagrev{"Form", "ChBoxGrafNagrev", false};
inline constexpr BoolKey kStartInTrey{"Form", "StartInTrey", false};
// ScrollBar: the position defaults are the bars' design positions; a reader is given the
// bars' present positions instead. GainY 0 and PosY 250 give the chart 25 to 75: both
// temperatures and the humidity of an incubator.
inline constexpr IntKey kGainY{"ScrollBar", "GainY", 0};
inline constexpr IntKey kPosY{"ScrollBar", "PosY", 250};
inline constexpr IntKey kXScale{"ScrollBar", "XScale", 100};
inline constexpr StringKey kOfsetNagreCurve{"ScrollBar", "OfsetNagreCurve", "38,0"};
inline constexpr StringKey kHeightNagreCurve{"ScrollBar", "HeightNagreCurve", "0,5"};
// Alarm: the sound and its repeat.
inline constexpr StringKey kSound{"Alarm", "Sound", "Windows XP - ошибка.wav"};
inline constexpr IntKey kTimeSound{"Alarm", "TimeSound", 3};
// ComPort1: the main window's own keys beside the port's.
inline constexpr BoolKey kOpenStart{"ComPort1", "OpenStart", false};
// Temperature: the floating readout window.
inline constexpr BoolKey kShowWindow{"Temperature", "ShowWindow", false};
// Color: 00BBGGRR, written in decimal.
inline constexpr ColorKey kColorT1{"Color", "T1", clBlack};
inline constexpr ColorKey kColorT2{"Color", "T2", MakeColor(0, 0, 255)};
inline constexpr ColorKey kColorT3{"Color", "T3", MakeColor(64, 128, 128)};
inline constexpr ColorKey kColorHM{"Color", "HM", clBlack};
inline constexpr ColorKey kColorNagrev{"Color", "Nagrev", MakeColor(64, 128, 128)};
inline constexpr ColorKey kColorFon{"Color", "Fon", clWhite};
inline constexpr ColorKey kColorGird{"Color", "Gird", clSilver};
// Font: the name and size defaults are the design fonts; readers are given the present ones.
inline constexpr StringKey kFontName{"Font", "Name", "MS Sans Serif"};
inline constexpr IntKey kFontSize{"Font", "Size", 8};
inline constexpr StringKey kFontNameLog{"Font", "NameLog", "MS Sans Serif"};
inline constexpr IntKey kFontSizeLog{"Font", "SizeLog", 8};

enum class KeyType { ktInteger, ktBoolean, ktString, ktColour };

// The operations that read or write keys (bit sets).
enum Operation : unsigned {
    opCreate = 1u << 0,        // main window creation
    opClose = 1u << 1,         // main window close
    opSettingsOpen = 1u << 2,  // settings dialog opening
    opSettings = 1u << 3,      // settings dialog accepted
    opColour = 1u << 4,        // a colour chosen
    opFont = 1u << 5,          // the display font chosen
    opAnalysis = 1u << 6,      // analysis window opening
    opAnalysisFont = 1u << 7,  // analysis font chosen
    opStartup = 1u << 8,       // tray start-up question
};

struct KeyInfo {
    std::string_view section;
    std::string_view name;
    KeyType type;
    unsigned read_by;
    unsigned written_by;
};

namespace detail {
constexpr KeyInfo Info(const IntKey& k, unsigned r, unsigned w) {
    return {k.section, k.name, KeyType::ktInteger, r, w};
}
constexpr KeyInfo Info(const BoolKey& k, unsigned r, unsigned w) {
    return {k.section, k.name, KeyType::ktBoolean, r, w};
}
constexpr KeyInfo Info(const StringKey& k, unsigned r, unsigned w) {
    return {k.section, k.name, KeyType::ktString, r, w};
}
constexpr KeyInfo Info(const ColorKey& k, unsigned r, unsigned w) {
    return {k.section, k.name, KeyType::ktColour, r, w};
}
constexpr unsigned kCreateAndOpen = opCreate | opSettingsOpen;
}  // namespace detail

inline constexpr std::array kKeyTable{
    detail::Info(kTop, opCreate, opClose),
    detail::Info(kLeft, opCreate, opClose),
    detail::Info(kWidth, opCreate, opClose),
    detail::Info(kHeight, opCreate, opClose),
    detail::Info(kMinToTrey, detail::kCreateAndOpen, opSettings),
    detail::Info(kInitMax, opCreate, opClose),
    detail::Info(kChBoxGrafNagrev, opCreate, opClose),
    detail::Info(kStartInTrey, opStartup | opSettingsOpen, opSettings),
    detail::Info(kGainY, opCreate, opClose),
    detail::Info(kPosY, opCreate, opClose),
    detail::Info(kXScale, opCreate, opClose),
    detail::Info(kOfsetNagreCurve, opCreate, opClose),
    detail::Info(kHeightNagreCurve, opCreate, opClose),
    detail::Info(kT1Hi, opCreate, opClose),
    detail::Info(kT1Low, opCreate, opClose),
    detail::Info(kT2Hi, opCreate, opClose),
    detail::Info(kT2Low, opCreate, opClose),
    detail::Info(kHMHi, opCreate, opClose),
    detail::Info(kHMLow, opCreate, opClose),
    detail::Info(kSound, opCreate, opClose),
    detail::Info(kTimeSound, detail::kCreateAndOpen, opSettings),
    detail::Info(kT1Enable, detail::kCreateAndOpen, opSettings),
    detail::Info(kT2Enable, detail::kCreateAndOpen, opSettings),
    detail::Info(kHMEnable, detail::kCreateAndOpen, opSettings),
    detail::Info(kOpenStart, detail::kCreateAndOpen, opSettings),
    detail::Info(kSignalOffData, detail::kCreateAndOpen, opSettings),
    detail::Info(kSignalOffDataSound, detail::kCreateAndOpen, opSettings),
    detail::Info(kOkruglenie, detail::kCreateAndOpen, opSettings),
    detail::Info(kShowWindow, detail::kCreateAndOpen, opSettings),
    detail::Info(kSHT10, detail::kCreateAndOpen, opSettings),
    detail::Info(kColorT1, opCreate, opColour),
    detail::Info(kColorT2, opCreate, opColour),
    detail::Info(kColorT3, opCreate, opColour),
    detail::Info(kColorHM, opCreate, opColour),
    detail::Info(kColorNagrev, opCreate, opColour),
    detail::Info(kColorFon, opCreate, opColour),
    detail::Info(kColorGird, opCreate, opColour),
    detail::Info(kFontName, opCreate, opFont),
    detail::Info(kFontSize, opCreate, opFont),
    detail::Info(kFontNameLog, opAnalysis, opAnalysisFont),
    detail::Info(kFontSizeLog, opAnalysis, opAnalysisFont),
    detail::Info(kLogFileTime, detail::kCreateAndOpen, opSettings),
};

}  // namespace config
