// What both programs share from their command line to their end.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "config/program_ending.h"
#include "config/program_options.h"

namespace {

using config::EndingStep;

// Stands for a publisher: it must stop only once the lines are saved.
struct RecordingPublisher {
    std::vector<std::string>& events;
    void Stop() { events.push_back("stop"); }
};

TEST(ProgramEnding, ThePublishersStopAfterTheSaveEvenWhenThePortFailsToClose) {
    std::vector<std::string> events;
    RecordingPublisher publisher{events};
    std::vector<EndingStep> failed;
    const bool clean =
        config::EndProgram({
                               .detach_listeners = [&] { events.push_back("detach"); },
                               .close_port =
                                   [&] {
                                       events.push_back("close");
                                       throw std::runtime_error("port gone");
                                   },
                               .last_autosave = [&] { events.push_back("save"); },
                               .keep_settings = [&] { events.push_back("settings"); },
                               .stop_publishers = [&] { publisher.Stop(); },
                           },
                           [&](EndingStep step, const std::string& what) {
                               failed.push_back(step);
                               EXPECT_EQ(what, "port gone");
                           });
    EXPECT_FALSE(clean);
    EXPECT_EQ(events, (std::vector<std::string>{"detach", "close", "save", "settings", "stop"}));
    EXPECT_EQ(failed, std::vector<EndingStep>{EndingStep::kClosePort});

    // A program without listeners or settings to keep leaves those steps out.
    events.clear();
    EXPECT_TRUE(config::EndProgram({.last_autosave = [&] { events.push_back("save"); },
                                    .stop_publishers = [&] { publisher.Stop(); }},
                                   nullptr));
    EXPECT_EQ(events, (std::vector<std::string>{"save", "stop"}));
}

config::ParsedOptions Parse(std::vector<const char*> args, bool window) {
    args.insert(args.begin(), "prog");
    const config::OptionRules rules{.program = "prog",
                                    .usage = "Usage: prog\n",
                                    .config_required = !window,
                                    .toolkit_arguments = window};
    return config::ParseProgramOptions(static_cast<int>(args.size()), args.data(), rules);
}

TEST(ProgramOptions, TheWindowLetsTheToolkitsArgumentsThroughButNotUnknownLongOptions) {
    auto p = Parse({"-platform", "offscreen", "--echo", "-style=fusion"}, true);
    ASSERT_TRUE(p.options);
    EXPECT_TRUE(p.options->echo);
    EXPECT_TRUE(p.options->config.empty());
    p = Parse({"-platform", "offscreen", "--config", "a.ini"}, true);
    ASSERT_TRUE(p.options);
    EXPECT_EQ(p.options->config, "a.ini");

    for (const bool window : {true, false}) {
        p = Parse({"--config", "a.ini", "--verbose"}, window);
        EXPECT_FALSE(p.options);
        EXPECT_EQ(p.exit_code, 2);
        EXPECT_EQ(p.err, "prog: unknown option --verbose\n\nUsage: prog\n");
        p = Parse({"--config", ""}, window);
        EXPECT_EQ(p.err, "prog: --config needs a file\n\nUsage: prog\n");
        p = Parse({"--echo", "-h"}, window);
        EXPECT_EQ(p.exit_code, 0);
        EXPECT_EQ(p.out, "Usage: prog\n");
    }
    // The service has no toolkit: what it does not know is a mistake.
    EXPECT_FALSE(Parse({"--config", "a.ini", "-platform"}, false).options);
}

}  // namespace
