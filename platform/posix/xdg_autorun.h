#pragma once
// Autorun through an XDG autostart entry: <config home>/autostart/Rizudirod.desktop, whose Exec
// is the executable's full path in double quotes. The config home is $XDG_CONFIG_HOME when
// that is an absolute path, else $HOME/.config.

#include <optional>
#include <string>

#include "platform/autorun.h"

namespace platform {

class XdgAutorun : public Autorun {
  public:
    static constexpr const char* kEntryName = "Rizudirod";

    struct Environment {
        std::optional<std::string> xdg_config_home;
        std::optional<std::string> home;
    };

    XdgAutorun(std::string executable, const Environment& environment);
    // This process: its executable, $XDG_CONFIG_HOME and $HOME (or the password database).
    static XdgAutorun ForThisProgram();

    bool IsRegistered() const override;
    void Register() override;
    void Unregister() override;

    const std::string& Folder() const { return folder_; }
    std::string EntryPath() const;

  private:
    std::string executable_;
    std::string folder_;
};

}  // namespace platform
