#pragma once
// Writing JSON objects: strings escaped (and kept valid UTF-8), numbers with a decimal point
// whatever the process locale.

#include <string>
#include <string_view>

namespace mqtt {

// A JSON string literal, quotes included. Bytes that are not valid UTF-8 become U+FFFD, so
// the text always parses.
void AppendJsonString(std::string& out, std::string_view text);

// The shortest text that reads back to the same double; not-a-number and infinities, which
// JSON cannot hold, become null.
void AppendJsonNumber(std::string& out, double value);

// One JSON object, built field by field: JsonObject().String("a", "x").Integer("b", 1).Text().
class JsonObject {
  public:
    JsonObject& String(std::string_view key, std::string_view value);
    JsonObject& Number(std::string_view key, double value);
    JsonObject& Integer(std::string_view key, long long value);
    JsonObject& Bool(std::string_view key, bool value);
    JsonObject& Null(std::string_view key);
    // `json` is already JSON (an object or an array written elsewhere).
    JsonObject& Raw(std::string_view key, std::string_view json);

    std::string Text() const { return text_ + "}"; }

  private:
    void Key(std::string_view key);

    std::string text_ = "{";
};

}  // namespace mqtt
