#include "app/alarm_supervision.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace {

struct View : AlarmView {
    std::map<AlarmChannel, bool> red;
    std::vector<std::string> balloons;
    int flashes = 0;
    void ShowAlarmBalloon(const std::string& title, const std::string&) override {
        balloons.push_back(title);
    }
    void FlashTaskbar() override { ++flashes; }
    bool PanelRed(AlarmChannel c) const override {
        auto it = red.find(c);
        return it != red.end() && it->second;
    }
    void SetPanelRed(AlarmChannel c, bool on) override { red[c] = on; }
};

TEST(AlarmDisplay, BlinksAndFlashesOncePerTurnToRed) {
    AlarmFlags flags;
    flags.AlarmT1 = true;
    EngineSettings settings;
    View view;
    AlarmDisplayTick(flags, settings, view);
    EXPECT_TRUE(view.red[AlarmChannel::T1]);
    EXPECT_EQ(view.flashes, 1);
    AlarmDisplayTick(flags, settings, view);
    EXPECT_FALSE(view.red[AlarmChannel::T1]);
    EXPECT_EQ(view.flashes, 1);
    AlarmDisplayTick(flags, settings, view);
    EXPECT_TRUE(view.red[AlarmChannel::T1]);
    EXPECT_EQ(view.flashes, 2);
    EXPECT_EQ(view.balloons, (std::vector<std::string>(3, "Температура T1")));
}

TEST(AlarmDisplay, OrderAndFlashConditionsLookAtRawFlags) {
    AlarmFlags flags;
    flags.AlarmHM = true;  // latched but disabled
    flags.AlarmT2 = true;
    flags.AlarmT1 = true;
    EngineSettings settings;
    settings.HM_enable = false;
    View view;
    AlarmDisplayTick(flags, settings, view);
    // Humidity stays dark and silent, yet its flag keeps T2 and T1 from flashing.
    EXPECT_FALSE(view.red[AlarmChannel::HM]);
    EXPECT_TRUE(view.red[AlarmChannel::T2]);
    EXPECT_TRUE(view.red[AlarmChannel::T1]);
    EXPECT_EQ(view.flashes, 0);
    EXPECT_EQ(view.balloons, (std::vector<std::string>{"Температура T2", "Температура T1"}));

    flags.AlarmHM = false;
    View fresh;
    AlarmDisplayTick(flags, settings, fresh);
    EXPECT_EQ(fresh.flashes, 1);  // T2 flashes; T1 does not while T2 is latched
}

TEST(AlarmDisplay, AcknowledgedChannelReturnsToNormal) {
    AlarmFlags flags;
    flags.AlarmHM = true;
    EngineSettings settings;
    View view;
    AlarmDisplayTick(flags, settings, view);
    ASSERT_TRUE(view.red[AlarmChannel::HM]);
    AcknowledgeChannel(flags, AlarmChannel::HM);
    AlarmDisplayTick(flags, settings, view);
    EXPECT_FALSE(view.red[AlarmChannel::HM]);
    EXPECT_EQ(view.balloons.size(), 1u);
}

TEST(AlarmSound, DueForEnabledChannelsAndNoDataSound) {
    EngineSettings s;
    AlarmFlags f;
    EXPECT_FALSE(AlarmSoundDue(f, s));
    f.AlarmT2 = true;
    EXPECT_TRUE(AlarmSoundDue(f, s));
    s.T2_enable = false;
    EXPECT_FALSE(AlarmSoundDue(f, s));
    f.AlarmNoData = true;
    EXPECT_FALSE(AlarmSoundDue(f, s));
    s.SignalOffDataSound = true;
    EXPECT_TRUE(AlarmSoundDue(f, s));
}

}  // namespace
