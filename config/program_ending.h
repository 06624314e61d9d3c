#pragma once
// How both programs end, in this order: their listeners detach (no event may tell of the end
// as if the port were lost), the port closes (no line can come after the last autosave), the
// last autosave (and the window's settings) write, and only then the publishers stop: a broker
// that does not answer or a name that resolves slowly may hold that up, never the save.

#include <functional>
#include <string>

namespace config {

enum class EndingStep {
    kDetachListeners,
    kClosePort,
    kLastAutosave,
    kKeepSettings,
    kStopPublishers
};

struct EndingSteps {
    std::function<void()> detach_listeners{};  // each step may be empty: nothing to do
    std::function<void()> close_port{};
    std::function<void()> last_autosave{};
    std::function<void()> keep_settings{};
    std::function<void()> stop_publishers{};
};

// A step that throws is reported and the next ones still run: a port that fails to close must
// not cost the save. Returns whether every step ran through.
bool EndProgram(const EndingSteps& steps,
                const std::function<void(EndingStep, const std::string& what)>& report);

}  // namespace config
