#pragma once
// Why a connection to the broker could not be made or ended, in the program's language, for
// the warnings a keeper reads. Rare causes keep the library's own (English) words.

#include <string>

namespace mqtt {

// `rc`: the library's error code; `error`: errno when the code says a system call failed.
std::string ReasonText(int rc, int error);
// A refused login: the reason code of the broker's CONNACK (MQTT 5, or 3.1.1's 1 to 5).
std::string RefusalText(int reason);
// A connection the broker ended with a DISCONNECT: its reason code.
std::string DisconnectText(int reason);

}  // namespace mqtt
