// The port settings' text forms, and a port restored from any configuration file.
//
// Input: a mode byte, then
//   mode bit 0 set: texts separated by NUL, each read as every kind of setting: a value
//     always comes out, a known text gives its own value back, and characters survive their
//     text form;
//   mode bit 0 clear: a configuration file; a port restores its settings from it (all groups
//     with mode bit 1, the basic group only otherwise), saves them, and a second port restored
//     from that file ends with the same settings and saves the same text. The line settings
//     go through to the terminal settings and the read time-outs.
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>

#include "common/text_parse.h"
#include "fuzz/fuzz_input.h"
#include "platform/doubles/fake_serial_device.h"
#include "platform/doubles/queued_ui_thread.h"
#include "platform/posix/dcb_termios.h"
#include "platform/serial_read_timing.h"
#include "serial/serial_dcb.h"
#include "serial/serial_port.h"
#include "serial/serial_text.h"
#include "testing/temp_folder.h"

namespace {

// Text to value gives a value of the table; a text of the table gives its first match (its
// own text, in any letter case); any other text gives the fixed value.
template <typename E>
void CheckTable(std::string_view text, int count, E unmatched, std::string (*to_text)(E),
                E (*from_text)(std::string_view)) {
    const E value = from_text(text);
    const int ordinal = static_cast<int>(value);
    FUZZ_CHECK(ordinal >= 0 && ordinal < count);
    int first = -1;
    for (int i = 0; i < count && first < 0; ++i)
        if (text::SameIgnoringCase(to_text(static_cast<E>(i)), text)) first = i;
    FUZZ_CHECK(ordinal == (first >= 0 ? first : static_cast<int>(unmatched)));
}

// A character's text must survive the configuration file: no blanks around, no line break.
void CheckCharacter(char c) {
    const std::string t = CharToText(c);
    FUZZ_CHECK(!t.empty() && static_cast<unsigned char>(t.front()) > 32 &&
               static_cast<unsigned char>(t.back()) > 32);
    FUZZ_CHECK(TextToChar(t) == c);
}

void Texts(FuzzInput& in) {
    static const bool all_characters = [] {
        for (int c = 0; c < 256; ++c) CheckCharacter(static_cast<char>(c));
        return true;
    }();
    (void)all_characters;
    while (!in.Empty()) {
        const std::string_view t = in.TextUntil(0);
        CheckTable(t, kBaudRateCount, br9600, BaudRateToText, TextToBaudRate);
        CheckTable(t, kStopBitsCount, sbOneStopBit, StopBitsToText, TextToStopBits);
        CheckTable(t, kDataBitsCount, dbEight, DataBitsToText, TextToDataBits);
        CheckTable(t, kParityCount, prNone, ParityToText, TextToParity);
        CheckTable(t, kFlowControlCount, fcCustom, FlowControlToText, TextToFlowControl);
        CheckTable(t, 3, dtrDisable, DtrControlToText, TextToDtrControl);
        CheckTable(t, 4, rtsDisable, RtsControlToText, TextToRtsControl);
        FUZZ_CHECK(YesNoToBool(t) == text::SameIgnoringCase(t, "yes"));
        FUZZ_CHECK(YesNoToBool(BoolToYesNo(YesNoToBool(t))) == YesNoToBool(t));

        const char c = TextToChar(t);
        if (t.empty()) FUZZ_CHECK(c == 0);
        if (t.size() == 1 || (!t.empty() && t.front() != '#')) FUZZ_CHECK(c == t.front());
        if (t.size() > 1 && t.front() == '#') {
            const std::string_view digits = t.substr(1);
            const bool plain = digits.size() <= 9 &&
                               digits.find_first_not_of("0123456789") == std::string_view::npos;
            if (plain)
                FUZZ_CHECK(static_cast<unsigned char>(c) == std::stoi(std::string(digits)) % 256);
            const bool number_like = std::all_of(digits.begin(), digits.end(), [](char d) {
                return (d >= '0' && d <= '9') || d == '+' || d == '-' ||
                       static_cast<unsigned char>(d) <= 32;
            });
            if (!number_like) FUZZ_CHECK(c == 0);
        }
        CheckCharacter(c);
    }
}

// Every stored setting of a port, for comparison.
std::string Settings(const TCustomSerialPort& p) {
    const TSerialParity& parity = p.Parity();
    const TSerialFlowControl& f = p.FlowControl();
    const TSerialTimeouts& t = p.Timeouts();
    std::string s = p.Port() + '\0';
    for (long long v : {static_cast<long long>(p.BaudRate()),
                        static_cast<long long>(p.CustomBaudRate()),
                        static_cast<long long>(p.StopBits()),
                        static_cast<long long>(p.DataBits()),
                        static_cast<long long>(p.DiscardNull()),
                        static_cast<long long>(p.EventChar()),
                        static_cast<long long>(parity.Bits()),
                        static_cast<long long>(parity.Check()),
                        static_cast<long long>(parity.Replace()),
                        static_cast<long long>(parity.ReplaceChar()),
                        static_cast<long long>(p.Buffer().InputSize()),
                        static_cast<long long>(p.Buffer().OutputSize()),
                        static_cast<long long>(t.ReadInterval()),
                        static_cast<long long>(t.ReadTotalConstant()),
                        static_cast<long long>(t.ReadTotalMultiplier()),
                        static_cast<long long>(t.WriteTotalConstant()),
                        static_cast<long long>(t.WriteTotalMultiplier()),
                        static_cast<long long>(f.ControlRTS()),
                        static_cast<long long>(f.ControlDTR()),
                        static_cast<long long>(f.DSRSensitivity()),
                        static_cast<long long>(f.OutCTSFlow()),
                        static_cast<long long>(f.OutDSRFlow()),
                        static_cast<long long>(f.TxContinueOnXoff()),
                        static_cast<long long>(f.XonXoffIn()),
                        static_cast<long long>(f.XonXoffOut()),
                        static_cast<long long>(f.XoffChar()),
                        static_cast<long long>(f.XonChar())})
        s += std::to_string(v) + ',';
    return s;
}

struct Port {
    FakeSerialBackend backend;
    QueuedUiThread ui;
    TSerialPort port{backend, ui};

    explicit Port(TStoredGroups groups) {
        port.SetName("ComPort1");
        port.SetStoredGroups(groups);
    }
};

// The line settings reach the terminal and the read time-outs whatever they are.
void CheckDevice(const TCustomSerialPort& port) {
    const SerialDcb dcb = MakeDcb(port);
    termios2 t{};
    const int error = DcbToTermios(dcb, t);
    FUZZ_CHECK(error == 0 || error == EINVAL);
    if (error == 0) FUZZ_CHECK(t.c_ispeed == dcb.BaudRate && t.c_ospeed == dcb.BaudRate);
    const SerialCommTimeouts timeouts = MakeCommTimeouts(port);
    using std::chrono::milliseconds;
    for (std::size_t wanted : {std::size_t{1}, std::size_t{260}, ~std::size_t{0}}) {
        const SerialReadStep first =
            NextReadStep(timeouts, wanted, 0, milliseconds(0), milliseconds(0));
        FUZZ_CHECK(first.wait_ms >= -1);
        const SerialReadStep later =
            NextReadStep(timeouts, wanted, 1, milliseconds(1 << 30), milliseconds(1 << 30));
        FUZZ_CHECK(later.wait_ms >= -1);
    }
}

void SettingsFile(FuzzInput& in, bool all_groups) {
    static const TempFolder folder;
    const std::string original = folder.File("incubator-monitor.ini");
    const std::string saved = folder.File("saved.ini");
    const std::string again = folder.File("again.ini");
    for (const std::string& path : {original, saved, again}) std::filesystem::remove(path);
    Spit(original, std::string(in.Text(in.Remaining())));

    const TStoredGroups groups =
        all_groups ? TStoredGroups{sgBasic, sgFlowControl, sgBuffer, sgTimeouts, sgParity, sgOthers}
                   : TStoredGroups{sgBasic};
    Port first(groups);
    first.port.RestoreSettings(skIniFile, original);
    CheckDevice(first.port);
    first.port.SaveSettings(skIniFile, saved);

    Port second(groups);
    second.port.RestoreSettings(skIniFile, saved);
    std::string port_name = first.port.Port();
    std::replace(port_name.begin(), port_name.end(), '\r', ' ');  // a value's line breaks
    first.port.SetPort(port_name);
    FUZZ_CHECK(Settings(second.port) == Settings(first.port));
    second.port.SaveSettings(skIniFile, again);
    FUZZ_CHECK(Slurp(again) == Slurp(saved));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    const std::uint8_t mode = in.Byte();
    if (mode & 1)
        Texts(in);
    else
        SettingsFile(in, (mode & 2) != 0);
    return 0;
}
