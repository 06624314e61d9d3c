#pragma once
// ESerialPort: the one exception of the serial layer, an index into a fixed message table and
// the system error code (an errno value here), or -1 when the error has none.

#include <stdexcept>
#include <string>

class ESerialPort : public std::runtime_error {
  public:
    static constexpr int kNoSystemCode = -1;

    explicit ESerialPort(int error_index, int system_code = kNoSystemCode);

    int ErrorIndex() const { return error_index_; }
    int SystemCode() const { return system_code_; }

  private:
    int error_index_;
    int system_code_;
};

// The table text of an index (1 to 24); empty for any other index.
const char* SerialErrorText(int error_index);
// Whether the table entry carries a system code.
bool SerialErrorHasCode(int error_index);

// Table indices the component raises.
namespace serial_error {
inline constexpr int kOpen = 1;
inline constexpr int kWrite = 2;
inline constexpr int kRead = 3;
inline constexpr int kAsyncParameter = 4;
inline constexpr int kPurge = 5;
inline constexpr int kSetState = 7;
inline constexpr int kSetTimeouts = 8;
inline constexpr int kSetupComm = 9;
inline constexpr int kClearCommError = 10;
inline constexpr int kModemStatus = 11;
inline constexpr int kEscape = 12;
inline constexpr int kConnected = 14;
inline constexpr int kStoreSettings = 16;
inline constexpr int kLoadSettings = 17;
inline constexpr int kLink = 18;
inline constexpr int kLedState = 19;
inline constexpr int kRegistry = 23;
inline constexpr int kCloseFromEventThread = 24;
}  // namespace serial_error
