#include "engine/alarm_rules.h"

std::optional<std::string> NoDataWarningText(const EngineSettings& settings, bool connected,
                                             const std::string& port) {
    if (!settings.SignalOffData) return std::nullopt;
    std::string text = "Нет данных от инкубатора.";
    if (!connected) text += "\rНе открыт ком порт \"" + port + "\".";
    return text;
}

const char* AlarmTitle(AlarmChannel channel) {
    switch (channel) {
        case AlarmChannel::T1:
            return "Температура T1";
        case AlarmChannel::T2:
            return "Температура T2";
        case AlarmChannel::HM:
            break;
    }
    return "Влажность";
}

AlarmReport ReportAlarms(const AlarmFlags& flags, const EngineSettings& settings, bool silent,
                         bool port_lost) {
    return {
        .t1 = flags.AlarmT1 && settings.T1_enable,
        .t2 = flags.AlarmT2 && settings.T2_enable,
        .hm = flags.AlarmHM && settings.HM_enable,
        .no_data = (flags.AlarmNoData || silent) && settings.SignalOffData,
        .port_lost = port_lost,
    };
}

void AcknowledgeChannel(AlarmFlags& flags, AlarmChannel channel) {
    switch (channel) {
        case AlarmChannel::T1:
            flags.AlarmT1 = false;
            break;
        case AlarmChannel::T2:
            flags.AlarmT2 = false;
            break;
        case AlarmChannel::HM:
            flags.AlarmHM = false;
            break;
    }
}

void AcknowledgeAll(AlarmFlags& flags) {
    flags.AlarmT1 = false;
    flags.AlarmT2 = false;
    flags.AlarmHM = false;
}

void ClearAlarmsBackInside(AlarmFlags& flags, const AlarmLimits& limits,
                           const DecodedSample& sample) {
    if (!OutsideLimits(sample.t1_alarm, limits.LimitT1Hi, limits.LimitT1Low)) flags.AlarmT1 = false;
    if (!OutsideLimits(sample.t2_alarm, limits.LimitT2Hi, limits.LimitT2Low)) flags.AlarmT2 = false;
    if (!OutsideLimits(sample.hm, limits.LimitHMHi, limits.LimitHMLow)) flags.AlarmHM = false;
}
