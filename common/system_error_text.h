#pragma once
// A system error (an errno value) as words for the user: Russian for the errors this program
// commonly meets, the system's own text for the rest.

#include <string>

namespace text {

std::string SystemErrorText(int error);

}  // namespace text
