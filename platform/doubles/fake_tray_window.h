#pragma once
// A main window for tray tests: it only keeps its state.

#include <functional>
#include <utility>

#include "platform/tray_window.h"

namespace platform {

class FakeTrayMainWindow : public TrayMainWindow {
  public:
    void ShowNormal() override {
        visible = true;
        minimized = false;
        ++shows;
    }
    void Hide() override {
        visible = false;
        minimized = false;
        ++hides;
    }
    bool IsVisible() const override { return visible; }
    void SetMinimizeHandler(std::function<void()> handler) override {
        handler_ = std::move(handler);
    }

    // The user minimises the window (it stays visible, as a minimised window does).
    void UserMinimize() {
        minimized = true;
        // A copy: the handler may unhook itself (its icon destroyed) while it runs.
        if (auto handler = handler_) handler();
    }
    bool HasMinimizeHandler() const { return static_cast<bool>(handler_); }

    bool visible = false;
    bool minimized = false;
    int shows = 0;
    int hides = 0;

  private:
    std::function<void()> handler_;
};

}  // namespace platform
