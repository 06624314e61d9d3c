#include "app/alarm_supervision.h"

namespace {

struct ChannelStep {
    AlarmChannel channel;
    bool latched;
    bool enabled;
    bool flash;  // the earlier channels' flags are all clear
};

void ShowChannel(const ChannelStep& step, AlarmView& view) {
    if (!step.latched || !step.enabled) {
        view.SetPanelRed(step.channel, false);
        return;
    }
    view.ShowAlarmBalloon(AlarmTitle(step.channel), kOutsideLimitsText);
    if (view.PanelRed(step.channel)) {
        view.SetPanelRed(step.channel, false);
        return;
    }
    if (step.flash) view.FlashTaskbar();
    view.SetPanelRed(step.channel, true);
}

}  // namespace

void AlarmDisplayTick(const AlarmFlags& f, const EngineSettings& s, AlarmView& view) {
    // The flash conditions look at the raw flags, enabled or not.
    const ChannelStep steps[] = {
        {AlarmChannel::HM, f.AlarmHM, s.HM_enable, true},
        {AlarmChannel::T2, f.AlarmT2, s.T2_enable, !f.AlarmHM},
        {AlarmChannel::T1, f.AlarmT1, s.T1_enable, !f.AlarmT2 && !f.AlarmHM},
    };
    for (const ChannelStep& step : steps) ShowChannel(step, view);
}

bool AlarmSoundDue(const AlarmFlags& f, const EngineSettings& s) {
    return (f.AlarmT1 && s.T1_enable) || (f.AlarmT2 && s.T2_enable) || (f.AlarmHM && s.HM_enable) ||
           (f.AlarmNoData && s.SignalOffDataSound);
}
