#pragma once
// Names fit for ids, topics and folder names: ASCII letters, digits, "_" and "-" only.

#include <string>
#include <string_view>

namespace text {

// `name` in [a-zA-Z0-9_-]: Russian letters spelt in Latin ones, any other character replaced
// by "_"; "incubator" when nothing remains.
std::string IdName(std::string_view name);

}  // namespace text
