#include "mqtt/engine_bridge.h"

#include "mqtt/publisher.h"

namespace mqtt {

Sample SampleOf(const TelemetrySample& sample) {
    const DecodedSample& v = sample.values;
    return {v.t1,      v.t2,
            v.t3,      v.hm < 0 ? -1 : v.hm,
            v.outputs, SampleTimeAt(std::chrono::system_clock::to_time_t(sample.stamp))};
}

void EngineBridge::SampleReceived(const TelemetrySample& sample) {
    publisher_.PublishSample(SampleOf(sample));
}

void EngineBridge::AlarmsChanged(const AlarmReport& a) {
    publisher_.PublishAlarms({a.t1, a.t2, a.hm, a.no_data, a.port_lost});
}

}  // namespace mqtt
