#pragma once
// Where incubator-sim writes: the master of its own pseudo-terminal or a serial device.

#include <cstdint>
#include <string>
#include <vector>

class SimLine {
  public:
    // A new pseudo-terminal; `path` receives the end to open.
    static int OpenPseudoTerminal(SimLine& line, std::string& path);
    // A serial device in raw mode, 8N1, at any rate.
    static int OpenDevice(SimLine& line, const std::string& path, unsigned baud);
    // Closes the pseudo-terminal (its reader sees a hang-up) and makes a new one; `path`
    // receives its end to open.
    int ReplacePseudoTerminal(std::string& path);

    SimLine() = default;
    SimLine(const SimLine&) = delete;
    SimLine& operator=(const SimLine&) = delete;
    ~SimLine();

    // Whether somebody has the other end open (always so for a device).
    bool ReaderPresent() const;
    // Sleeps (without spinning) until somebody has the other end of the pseudo-terminal open.
    void WaitForReader() const;
    // Until the other end has been closed again.
    void WaitForReaderToLeave() const;
    // Writes all the bytes without blocking in write(); false when the reader went away.
    bool WriteAll(const std::vector<std::uint8_t>& bytes) const;
    // Lets the written bytes leave a serial device.
    void Drain() const;

  private:
    int fd_ = -1;
    bool pty_ = false;
};
