#include "platform/posix/sound_choice.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/posix/tests/temp_folder.h"

namespace {

using platform::ChooseSound;
using platform::OutputBackoff;
using platform::ResolveSoundPath;
using platform::SoundRequest;
using namespace std::chrono_literals;

TEST(SoundPath, NamesThatAreNotAbsoluteAreBesideTheExecutable) {
    EXPECT_EQ(ResolveSoundPath("Windows XP - ошибка.wav", "/opt/app"),
              "/opt/app/Windows XP - ошибка.wav");
    EXPECT_EQ(ResolveSoundPath("sounds/alarm.wav", "/opt/app/"), "/opt/app/sounds/alarm.wav");
    EXPECT_EQ(ResolveSoundPath("/usr/share/alarm.wav", "/opt/app"), "/usr/share/alarm.wav");
    EXPECT_EQ(ResolveSoundPath("alarm.wav", ""), "alarm.wav");
    EXPECT_EQ(ResolveSoundPath("", "/opt/app"), "");
}

TEST(SoundPath, OnlyRegularFilesThatOpenArePlayable) {
    TempFolder temp;
    TempFolder::Write(temp / "alarm.wav", "RIFF");
    ASSERT_EQ(mkfifo((temp / "pipe.wav").c_str(), 0644), 0);
    EXPECT_TRUE(platform::IsPlayableFile(temp / "alarm.wav"));
    EXPECT_FALSE(platform::IsPlayableFile(temp / "missing.wav"));
    EXPECT_FALSE(platform::IsPlayableFile(temp.path()));
    // Without a writer a pipe would block a reading open; this must return.
    EXPECT_FALSE(platform::IsPlayableFile(temp / "pipe.wav"));
    EXPECT_FALSE(platform::IsPlayableFile(""));
}

TEST(SoundChoice, APlayableFileIsPlayedElseTheWarningSound) {
    std::vector<std::string> asked;
    const auto only_alarm = [&](const std::string& path) {
        asked.push_back(path);
        return path == "/opt/app/alarm.wav";
    };
    EXPECT_EQ(ChooseSound("alarm.wav", "/opt/app", only_alarm),
              (SoundRequest{SoundRequest::Kind::File, "/opt/app/alarm.wav"}));
    EXPECT_EQ(ChooseSound("other.wav", "/opt/app", only_alarm),
              (SoundRequest{SoundRequest::Kind::Warning, ""}));
    EXPECT_EQ(asked, (std::vector<std::string>{"/opt/app/alarm.wav", "/opt/app/other.wav"}));
}

TEST(OutputBackoff, WaitsLongerAfterEachFailureUpToAnHourAndForgetsOnSuccess) {
    const OutputBackoff::Clock::time_point t0{};
    OutputBackoff backoff;
    EXPECT_TRUE(backoff.MayTry(t0));

    backoff.Failed(t0);
    EXPECT_FALSE(backoff.MayTry(t0 + 59s));
    EXPECT_TRUE(backoff.MayTry(t0 + 60s));

    backoff.Failed(t0 + 60s);
    EXPECT_FALSE(backoff.MayTry(t0 + 179s));
    EXPECT_TRUE(backoff.MayTry(t0 + 180s));

    auto now = t0 + 180s;
    for (int i = 0; i < 10; ++i) backoff.Failed(now);
    EXPECT_FALSE(backoff.MayTry(now + 3599s));
    EXPECT_TRUE(backoff.MayTry(now + 3600s));

    backoff.Succeeded();
    EXPECT_TRUE(backoff.MayTry(now));
    backoff.Failed(now);
    EXPECT_TRUE(backoff.MayTry(now + 60s));
}

}  // namespace
