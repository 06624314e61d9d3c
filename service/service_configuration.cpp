#include "service/service_configuration.h"

#include <filesystem>

#include "app/configuration.h"
#include "common/text_parse.h"

namespace service {

ServiceConfiguration ReadServiceConfiguration(const platform::IniFile& ini) {
    // The same readers as the window's, so that both read a key alike.
    const config::MainWindowConfiguration window =
        config::ReadMainWindowConfiguration(ini, config::ControlDefaults{});
    ServiceConfiguration c;
    c.settings = window.settings;
    c.limits = window.limits;
    const std::string command(text::Trim(ini.ReadString("Service", "AlarmCommand", "")));
    if (!command.empty()) {
        const std::filesystem::path path(command);
        c.alarm_command = path.is_absolute()
                              ? command
                              : (std::filesystem::path(ini.Path()).parent_path() / path).string();
    }
    return c;
}

}  // namespace service
