#pragma once
// A listener's place among an engine's listeners, held by whoever attached it: it leaves when
// the subscription ends (destroyed, reset or moved over), also when an exception unwinds past
// it. It may outlive the engine: it then has nothing left to leave.

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

class EngineListener;

// The engine's listeners, shared with the subscriptions so that neither outlives the other's
// reach.
using EngineListeners = std::vector<EngineListener*>;

class [[nodiscard]] EngineSubscription {
  public:
    EngineSubscription() = default;
    EngineSubscription(std::weak_ptr<EngineListeners> listeners, EngineListener& listener)
        : listeners_(std::move(listeners)), listener_(&listener) {}
    ~EngineSubscription() { Reset(); }
    EngineSubscription(EngineSubscription&& other) noexcept
        : listeners_(std::move(other.listeners_)), listener_(other.listener_) {
        other.listener_ = nullptr;
    }
    EngineSubscription& operator=(EngineSubscription&& other) noexcept {
        if (this != &other) {
            Reset();
            listeners_ = std::move(other.listeners_);
            listener_ = other.listener_;
            other.listener_ = nullptr;
        }
        return *this;
    }
    EngineSubscription(const EngineSubscription&) = delete;
    EngineSubscription& operator=(const EngineSubscription&) = delete;

    // The listener hears nothing more.
    void Reset() {
        if (const std::shared_ptr<EngineListeners> list = listeners_.lock()) {
            const auto at = std::find(list->begin(), list->end(), listener_);
            if (at != list->end()) list->erase(at);
        }
        listeners_.reset();
        listener_ = nullptr;
    }
    bool Active() const { return listener_ != nullptr && !listeners_.expired(); }

  private:
    std::weak_ptr<EngineListeners> listeners_;
    EngineListener* listener_ = nullptr;
};
