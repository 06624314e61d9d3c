#pragma once
// A system error as words for the user: Russian for the errors a statistics file commonly
// meets, the system's own text for the rest.

#include <string>

namespace statistics {

std::string ReasonInWords(int error);

}  // namespace statistics
