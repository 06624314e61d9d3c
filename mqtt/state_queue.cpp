#include "mqtt/state_queue.h"

#include <utility>

namespace mqtt {

void StateQueue::Push(std::string payload) {
    waiting_.push_back(std::move(payload));
    if (waiting_.size() > max_waiting_) {
        waiting_.pop_front();
        ++replaced_;
    }
}

void StateQueue::Pump(const Send& send) {
    while (!waiting_.empty() && in_flight_.size() < max_in_flight_) {
        const std::optional<int> mid = send(waiting_.front());
        if (!mid) return;  // left waiting: the library may take it at the next turn
        in_flight_.insert(*mid);
        waiting_.pop_front();
        ++sent_;
    }
}

void StateQueue::Written(int mid) {
    in_flight_.erase(mid);
}

void StateQueue::Clear() {
    in_flight_.clear();
    waiting_.clear();
}

}  // namespace mqtt
