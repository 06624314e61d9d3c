// The samples' way to the library: how many are out at once, which ones a lagging broker loses.

#include "mqtt/state_queue.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

// A library that takes payloads while `open`, numbering them from 1.
struct FakeLibrary {
    mqtt::StateQueue::Send Send() {
        return [this](const std::string& payload) -> std::optional<int> {
            if (!open) return std::nullopt;
            taken.push_back(payload);
            return static_cast<int>(taken.size());
        };
    }
    bool open = true;
    std::vector<std::string> taken;
};

TEST(StateQueue, KeepsAtMostSoManyOutAndDropsTheOldestWaiting) {
    mqtt::StateQueue q(2, 3);
    FakeLibrary library;
    for (const char* s : {"a", "b", "c", "d", "e", "f", "g"}) {
        q.Push(s);
        q.Pump(library.Send());
    }
    // a and b are out; c and d were pushed out by e, f, g.
    EXPECT_EQ(library.taken, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(q.InFlight(), 2u);
    EXPECT_EQ(q.Waiting(), 3u);
    EXPECT_EQ(q.Replaced(), 2u);

    q.Written(99);  // not one of the samples: a retained message's
    q.Pump(library.Send());
    EXPECT_EQ(q.Sent(), 2u);
    q.Written(1);
    q.Pump(library.Send());
    EXPECT_EQ(library.taken.back(), "e");
    q.Written(2);
    q.Written(3);
    library.open = false;  // a refusal leaves the sample waiting, in order
    q.Pump(library.Send());
    EXPECT_EQ(q.Waiting(), 2u);
    library.open = true;
    q.Pump(library.Send());
    EXPECT_EQ(library.taken, (std::vector<std::string>{"a", "b", "e", "f", "g"}));
    EXPECT_EQ(q.Sent(), 5u);

    // A connection's end: what was out went with it, nothing waits for the next one.
    q.Push("h");
    q.Push("i");
    q.Push("j");
    q.Pump(library.Send());
    q.Clear();
    EXPECT_EQ(q.InFlight(), 0u);
    EXPECT_EQ(q.Waiting(), 0u);
    q.Push("k");
    q.Pump(library.Send());
    EXPECT_EQ(library.taken.back(), "k");
}

}  // namespace
