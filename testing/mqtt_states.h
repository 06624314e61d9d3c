#pragma once
// The state messages a program published, set against the record lines it echoed.

#include <cstddef>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace e2e {

// What a record line says, in the terms of a state message; its time without the offset,
// which a record line does not show.
nlohmann::json StateOfLine(const std::string& line);

struct StatesAgainstLines {
    std::size_t matched = 0;   // the longest run of states equal to consecutive lines
    std::size_t from = 0;      // the line where it starts
    std::string wrong_offset;  // a state's time whose offset is not this computer's, if any
};

// `payloads`: state messages in the order received. Lines repeat within a second, so the run
// is where every state matches, not the first match of the first state.
StatesAgainstLines MatchStates(const std::vector<std::string>& payloads,
                               const std::vector<std::string>& lines);

}  // namespace e2e
