#include "platform/qt/qt_timer.h"

#include <QObject>
#include <QTimer>
#include <algorithm>
#include <limits>
#include <utility>

namespace platform {

namespace {

class QtTimer : public Timer {
  public:
    QtTimer() {
        // Precise: a coarse timer may fire up to 5% early, and the tray's click timer must
        // not end before the double-click interval has passed.
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            // A copy: the handler may replace itself or destroy this timer while it runs.
            if (auto handler = handler_) handler();
        });
    }

    void SetInterval(std::uint32_t ms) override {
        interval_ = ms;
        if (timer_.isActive()) Start();
    }

    std::uint32_t Interval() const override { return interval_; }

    bool Start() override {
        if (interval_ == 0) {
            timer_.stop();
            return false;
        }
        timer_.start(
            static_cast<int>(std::min<std::uint32_t>(interval_, std::numeric_limits<int>::max())));
        return true;
    }

    void Stop() override { timer_.stop(); }
    bool IsActive() const override { return timer_.isActive(); }
    void SetTickHandler(TickHandler handler) override { handler_ = std::move(handler); }

  private:
    QTimer timer_;
    std::uint32_t interval_ = 0;
    TickHandler handler_;
};

}  // namespace

std::unique_ptr<Timer> QtTimerFactory::CreateTimer() {
    return std::make_unique<QtTimer>();
}

}  // namespace platform
