// incubator-monitord: the monitoring without a window, for a board beside the incubator. The
// engine runs on a poll loop; warnings go to standard error, the record lines to the daily
// files, and a termination signal saves what was received before the program ends. Under
// systemd it tells its readiness and its loop's health (service/systemd_notify.h).
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "config/instance_start.h"
#include "config/program_ending.h"
#include "config/program_output.h"
#include "engine/alarm_rules.h"
#include "engine/monitor_engine.h"
#include "engine/statistics/posix_file_system.h"
#include "mqtt/mqtt_feed.h"
#include "platform/ini_file.h"
#include "platform/posix/command_runner.h"
#include "platform/posix/poll_loop.h"
#include "platform/posix/posix_serial_device.h"
#include "platform/posix/termination_watch.h"
#include "service/alarm_events.h"
#include "service/options.h"
#include "service/service_configuration.h"
#include "service/service_front_end.h"
#include "service/systemd_notify.h"

namespace {

constexpr char kProgram[] = "incubator-monitord";
// The unit does not restart after it (RestartPreventExitStatus).
constexpr int kExitFolderHeld = 3;
constexpr unsigned kCommandWarningSeconds = 60;
constexpr unsigned kMqttWarningSeconds = 60;

using config::Priority;

// An error unless told otherwise: the journal shows errors and warnings by priority.
void Say(const std::string& line, Priority priority = Priority::kError) {
    config::SayOnStandardError(kProgram, line, priority);
}

int Run(const service::Options& options) {
    // Without its file the service would watch a port nobody meant, and beside another copy
    // it would mix their lines: say so and stop. The claim holds until Run returns.
    const config::InstanceStart start =
        config::StartNamedInstance(options.config, config::ProcessEnvironment, true);
    if (const std::string refusal = start.Refusal(); !refusal.empty()) {
        Say(refusal);
        // Another copy on the folder will not go away by restarting this one.
        return start.file_problem.empty() && start.Refused() ? kExitFolderHeld : 1;
    }
    for (const std::string& notice : start.notices) Say(notice, Priority::kInfo);
    const config::InstancePaths& paths = start.paths;

    platform::PollLoop loop;
    loop.SetErrorReport([](std::exception_ptr error) {
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            Say(std::string("unhandled exception: ") + e.what());
        } catch (...) {
            Say("unhandled exception");
        }
    });
    PosixSerialBackend serial;
    service::ServiceFrontEnd front;
    EngineServices services{
        .timers = loop,
        .serial = serial,
        .logic_thread = loop,
        .files = statistics::RealFileSystem(),
        .log_dir = paths.log_folder,
        .echo_line = options.echo ? config::EchoLine : std::function<void(const std::string&)>(),
        .program = kProgram,
        .title = kProgram,
    };
    MonitorEngine engine(
        std::move(services), front,
        EngineOptions{.clear_alarms_when_back_inside = true, .warnings_on_standard_error = true});
    Say("configuration " + paths.configuration_file + ", statistics in " + paths.log_folder,
        Priority::kInfo);

    // Before the port opens: the recovered lines come before any new one.
    engine.RecoverJournal();
    try {
        engine.LoadPortSettings(paths.configuration_file);
    } catch (const std::exception& e) {
        front.Warn({Severity::kError, kProgram, e.what(), 0});
    }
    const service::ServiceConfiguration configuration =
        service::ReadServiceConfiguration(platform::IniFile(paths.configuration_file));
    engine.SetLimits(configuration.limits);
    engine.ApplySettings(configuration.settings);

    platform::CommandRunner runner(
        loop, {.program = configuration.alarm_command, .instance = paths.name},
        [&](const platform::CommandFailure& failure) {
            front.Warn({Severity::kError, kProgram, failure.Text(), kCommandWarningSeconds});
        });
    service::AlarmEvents events([&](const platform::CommandEvent& event) {
        if (const auto warning = service::AlarmWarning(event))
            front.Warn({Severity::kWarning, warning->title, warning->text, kAlarmWarningSeconds});
        runner.Run(event);
    });
    EngineSubscription alarm_events = engine.AddListener(events);
    // Publishes when [MQTT] names a broker; the broker being away never holds the loop.
    mqtt::MqttFeed mqtt_feed(
        paths.configuration_file, engine, loop,
        [&](Warning w) {
            w.seconds = kMqttWarningSeconds;
            front.Warn(w);
        },
        INCUBATOR_VERSION);

    platform::TerminationWatch termination(loop, [&](int signal) {
        Say(std::string("ending on ") + ::sigabbrev_np(signal), Priority::kInfo);
        loop.Quit();
    });
    service::SystemdNotify systemd(loop);
    loop.post([&] { systemd.Ready(); });  // the journal is recovered, the loop runs
    engine.StartAtLaunch();
    loop.Run();
    systemd.Stopping();

    bool saved = true;
    config::EndProgram({
                           .detach_listeners =
                               [&] {
                                   alarm_events.Reset();
                                   mqtt_feed.StopFollowing();
                               },
                           .close_port = [&] { engine.ClosePort(); },
                           .last_autosave = [&] { engine.LastAutosave(paths.unsaved_folder); },
                           .stop_publishers = [&] { mqtt_feed.Stop(); },
                       },
                       [&](config::EndingStep step, const std::string& what) {
                           Say(what);
                           if (step == config::EndingStep::kLastAutosave) saved = false;
                       });
    return saved ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    // Before any thread starts (the port's event thread, a library's): a signal must reach the
    // loop, not end the process before the save.
    platform::BlockTerminationSignals();
    // The programs it runs get the default back.
    config::IgnoreBrokenPipe();
    const service::ParsedOptions parsed = service::ParseOptions(argc, argv);
    std::fputs(parsed.out.c_str(), stdout);
    std::fputs(parsed.err.c_str(), stderr);
    if (!parsed.options) return parsed.exit_code;
    try {
        return Run(*parsed.options);
    } catch (const std::exception& e) {
        Say(e.what());
        return 1;
    }
}
