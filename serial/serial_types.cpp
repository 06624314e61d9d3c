#include "serial/serial_types.h"

#include <array>

int BaudRateValue(TBaudRate rate) {
    static constexpr std::array<int, 16> kRates = {0,     110,    300,    600,   1200,  2400,
                                                   4800,  9600,   14400,  19200, 38400, 56000,
                                                   57600, 115200, 128000, 256000};
    const auto i = static_cast<std::size_t>(rate);
    return i < kRates.size() ? kRates[i] : 0;
}
