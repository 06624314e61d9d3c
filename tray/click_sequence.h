#pragma once
// Turns the icon's left-button notifications into clicks. With a double-click handler the
// click is held back for the double-click time, so that a double-click raises no click;
// without one it is raised at once on release.

#include <cstdint>
#include <functional>

#include "platform/timer.h"
#include "tray/simple_timer.h"

namespace tray {

class ClickSequence {
  public:
    ClickSequence(platform::TimerFactory& timers, std::function<void()> click);

    void Down(bool hold_for_double_click, std::uint32_t double_click_ms);
    void Up();
    void DoubleClick();

  private:
    void TimerStep();
    void Raise();

    std::function<void()> click_;
    TSimpleTimer timer_;
    bool started_ = false;
    bool ready_ = false;
    bool double_seen_ = false;
};

}  // namespace tray
