#include "service/service_configuration.h"

#include <filesystem>

#include "common/text_parse.h"
#include "config/engine_configuration.h"

namespace service {

ServiceConfiguration ReadServiceConfiguration(const platform::IniFile& ini) {
    ServiceConfiguration c;
    c.settings = config::ReadEngineSettings(ini);
    c.limits = config::ReadAlarmLimits(ini);
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
