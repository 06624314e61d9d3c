#pragma once
// Why a connection to the broker could not be made or ended, in the program's language, for
// the warnings a keeper reads. Rare causes keep the library's own (English) words.

#include <string>

namespace mqtt {

// `rc`: the library's error code; `error`: errno when the code says a system call failed.
std::string ReasonText(int rc, int error);
// A refused login: the broker's CONNACK return code.
std::string RefusalText(int connack);

}  // namespace mqtt
