#include "config/program_ending.h"

#include <exception>
#include <utility>

namespace config {

bool EndProgram(const EndingSteps& steps,
                const std::function<void(EndingStep, const std::string& what)>& report) {
    const std::pair<EndingStep, const std::function<void()>*> order[] = {
        {EndingStep::kDetachListeners, &steps.detach_listeners},
        {EndingStep::kClosePort, &steps.close_port},
        {EndingStep::kLastAutosave, &steps.last_autosave},
        {EndingStep::kKeepSettings, &steps.keep_settings},
        {EndingStep::kStopPublishers, &steps.stop_publishers},
    };
    bool clean = true;
    for (const auto& [step, run] : order) {
        if (!*run) continue;
        try {
            (*run)();
        } catch (const std::exception& e) {
            clean = false;
            if (report) report(step, e.what());
        } catch (...) {
            clean = false;
            if (report) report(step, "unknown exception");
        }
    }
    return clean;
}

}  // namespace config
