#pragma once
// The record lines as the display holds them, read by index (the record-line index).

#include <cstddef>
#include <string>
#include <vector>

class DisplayLines {
  public:
    virtual ~DisplayLines() = default;
    virtual std::size_t Count() const = 0;
    // Line i; empty beyond the last line.
    virtual std::string Line(std::size_t i) const = 0;
    // Whether each of lines first .. first + count - 1 is empty (a line beyond the last one
    // is), in one pass.
    virtual std::vector<bool> EmptyLines(std::size_t first, std::size_t count) const = 0;
};

// Lines held in memory (tests, and a display being prepared).
class VectorDisplayLines : public DisplayLines {
  public:
    std::vector<std::string> lines;

    std::size_t Count() const override { return lines.size(); }
    std::string Line(std::size_t i) const override { return i < lines.size() ? lines[i] : ""; }
    std::vector<bool> EmptyLines(std::size_t first, std::size_t count) const override {
        std::vector<bool> empty(count, true);
        for (std::size_t k = 0; k < count && first + k < lines.size(); ++k)
            empty[k] = lines[first + k].empty();
        return empty;
    }
};
