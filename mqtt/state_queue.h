#pragma once
// The samples on their way to <Topic>/state, on the owner's thread: at most `max_in_flight` in
// the library (handed over, not yet written to the socket), and behind them at most
// `max_waiting`; a sample beyond that pushes out the oldest waiting one. So a broker that does
// not keep up costs bounded memory, and what it gets once it catches up is the newest.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <unordered_set>

namespace mqtt {

class StateQueue {
  public:
    // Hands one payload to the library: its message id, or none when the library refused it.
    using Send = std::function<std::optional<int>(const std::string& payload)>;

    StateQueue(std::size_t max_in_flight, std::size_t max_waiting)
        : max_in_flight_(max_in_flight), max_waiting_(max_waiting) {}

    void Push(std::string payload);
    // Hands waiting payloads over, oldest first, while fewer than max_in_flight are out.
    void Pump(const Send& send);
    // The library wrote message `mid` out; ids of other messages are ignored.
    void Written(int mid);
    // The connection ended: what it had in flight went with it, and what waited is dropped.
    void Clear();

    std::uint64_t Sent() const { return sent_; }
    std::uint64_t Replaced() const { return replaced_; }
    std::size_t InFlight() const { return in_flight_.size(); }
    std::size_t Waiting() const { return waiting_.size(); }

  private:
    const std::size_t max_in_flight_, max_waiting_;
    std::deque<std::string> waiting_;
    std::unordered_set<int> in_flight_;
    std::uint64_t sent_ = 0, replaced_ = 0;
};

}  // namespace mqtt
