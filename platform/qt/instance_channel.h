#pragma once
// The running copy of an instance listens on a local socket of the user's; a second start of
// the same instance asks it there to show its window, instead of opening a second one. Who is
// the running copy is decided elsewhere (the instance's folder lock): the channel only carries
// the request. A request is one line, "show", answered with "shown" once the window is shown.

#include <chrono>
#include <functional>
#include <memory>
#include <string>

class QLocalServer;

namespace platform {

class InstanceChannel {
  public:
    // Listens on `name` (an absolute socket path, or a name in the temporary folder), taking
    // over a socket a copy that died left there; `show` runs on the GUI thread for each request.
    InstanceChannel(const std::string& name, std::function<void()> show);
    ~InstanceChannel();
    InstanceChannel(const InstanceChannel&) = delete;
    InstanceChannel& operator=(const InstanceChannel&) = delete;

    bool Listening() const;

  private:
    void Answer();

    std::function<void()> show_;
    std::unique_ptr<QLocalServer> server_;
};

// Asks the copy listening on `name` to show its window, trying again until `patience` is over
// (the copy may still be starting). True once it answered that it did.
bool AskRunningCopyToShow(const std::string& name, std::chrono::milliseconds patience);

}  // namespace platform
