#include "mqtt/publisher.h"

#include <mosquitto.h>

#include <exception>
#include <optional>
#include <utility>

#include "mqtt/link.h"
#include "platform/ui_thread.h"

namespace mqtt {

namespace {

constexpr int kQosRetained = 1;

std::string ClientId(const Settings& settings, const DeviceInfo& device) {
    std::string id = settings.name;
    if (!device.machine_tag.empty()) id += "-" + device.machine_tag;
    return id;
}

}  // namespace

Publisher::Publisher(Settings settings, DeviceInfo device, UiThread& owner, WarningSink warn)
    : settings_(std::move(settings)),
      device_(std::move(device)),
      owner_(owner),
      warn_(std::move(warn)),
      client_id_(ClientId(settings_, device_)),
      state_topic_(settings_.topic + "/state"),
      alarm_topic_(settings_.topic + "/alarm"),
      availability_topic_(AvailabilityTopic(settings_)) {}

Publisher::~Publisher() {
    Stop();
}

void Publisher::Start() {
    if (!settings_.enabled || link_ || stopped_) return;
    Link::Sink sink = [&owner = owner_, alive = std::weak_ptr<int>(alive_), this](LinkEvent e) {
        owner.post([alive, this, e = std::move(e)] {
            if (!alive.expired()) Handle(e);
        });
    };
    try {
        link_ = std::make_unique<Link>(settings_, client_id_, std::move(sink));
    } catch (const std::exception& e) {
        Warn("Публикация MQTT не запущена: " + std::string(e.what()) + ".");
        return;
    }
    link_->Start();
}

void Publisher::PublishSample(const Sample& sample) {
    if (!link_) return;
    if (!connected_) {
        ++counters_.states_unsent;
        return;
    }
    states_.Push(StatePayload(sample));
    SendStates();
}

void Publisher::PublishAlarms(const AlarmState& alarms) {
    if (alarms == alarms_) return;
    alarms_ = alarms;
    if (connected_) SendRetained(alarm_topic_, AlarmPayload(alarms_));
}

void Publisher::Stop() {
    stopped_ = true;
    if (!link_) return;
    if (connected_) SendRetained(availability_topic_, kOffline);
    link_->Stop();
    counters_ = counters();  // the link's figures, as they ended
    link_.reset();
    connected_ = false;
}

Publisher::Counters Publisher::counters() const {
    TakeWritten();
    Counters c = counters_;
    c.states_sent = states_.Sent();
    c.states_replaced = states_.Replaced();
    c.states_in_flight = states_.InFlight();
    if (link_) c.connect_attempts = link_->ConnectAttempts();
    return c;
}

void Publisher::Handle(const LinkEvent& event) {
    if (!link_) return;  // reports that were on their way when Stop ran
    switch (event.kind) {
        case LinkEvent::Kind::kConnected:
            OnConnected();
            break;
        case LinkEvent::Kind::kEnded:
            OnEnded(event);
            break;
        case LinkEvent::Kind::kWritten:
            SendStates();
            break;
    }
}

void Publisher::OnConnected() {
    connected_ = true;
    ++counters_.connections;
    // After a take-over the id may pass back and forth: that was said once, and is not news.
    // A loss made good by the first attempt (a broker restart, a blip) is not news either.
    lost_reason_.reset();
    if (trouble_ != Trouble::kNone && trouble_ != Trouble::kTakenOver)
        Warn("Связь с брокером MQTT " + Where() +
             (ever_connected_ ? " восстановлена." : " установлена."));
    trouble_ = Trouble::kNone;
    ever_connected_ = true;
    TakeWritten();  // of the connection before
    states_.Clear();
    // What earlier versions left retained where they published (empty retained messages
    // remove them), so that Home Assistant drops the entities they described.
    for (const Message& m : LegacyRemovals(settings_, device_)) SendRetained(m.topic, m.payload);
    // The broker may have lost its retained messages (a restart without persistence).
    for (const Message& m : DiscoveryMessages(settings_, device_)) SendRetained(m.topic, m.payload);
    SendRetained(availability_topic_, kOnline);
    SendRetained(alarm_topic_, AlarmPayload(alarms_));
}

void Publisher::OnEnded(const LinkEvent& event) {
    connected_ = false;
    ++counters_.attempts_ended;
    states_.Clear();
    if (event.taken_over) {
        if (!clash_told_)
            Warn("Брокер MQTT " + Where() + " отдаёт имя клиента \"" + client_id_ +
                 "\" другому подключению: видимо, с тем же именем работает другой экземпляр "
                 "программы (одинаковое имя Name или копия системы с тем же /etc/machine-id). "
                 "Следующая попытка через " +
                 std::to_string(settings_.reconnect_max.count() / 1000) + " с.");
        clash_told_ = true;
        trouble_ = Trouble::kTakenOver;
        lost_reason_.reset();
        return;
    }
    if (event.had_connected) {
        // Said when the next attempt fails too.
        lost_reason_ = event.reason;
        return;
    }
    if (lost_reason_) {
        Warn("Связь с брокером MQTT " + Where() + " потеряна: " + *lost_reason_ + ".");
        lost_reason_.reset();
        trouble_ = Trouble::kUnreachable;
    }
    const Trouble trouble = event.refused ? Trouble::kRefused : Trouble::kUnreachable;
    if (trouble == trouble_) return;
    trouble_ = trouble;
    if (trouble == Trouble::kRefused)
        Warn("Брокер MQTT " + Where() + " не принял вход: " + event.reason +
             ". Попытки продолжаются.");
    else
        Warn("Нет связи с брокером MQTT " + Where() + ": " + event.reason + ".");
}

void Publisher::SendStates() {
    do {
        TakeWritten();
        states_.Pump([this](const std::string& payload) -> std::optional<int> {
            int mid = 0;
            if (link_->Publish(state_topic_, payload, 0, false, &mid) != MOSQ_ERR_SUCCESS)
                return std::nullopt;
            return mid;
        });
        // Full: the network thread tells when it has made room, unless it has already.
    } while (states_.Waiting() > 0 && !link_->ReportNextWritten());
}

void Publisher::TakeWritten() const {
    if (!link_) return;
    link_->TakeWritten(written_);
    for (const int mid : written_) states_.Written(mid);
}

void Publisher::SendRetained(const std::string& topic, const std::string& payload) {
    link_->Publish(topic, payload, kQosRetained, true);
}

void Publisher::Warn(const std::string& text) const {
    if (warn_) warn_(MqttWarning(text));
}

std::string Publisher::Where() const {
    return settings_.host + ":" + std::to_string(settings_.port);
}

}  // namespace mqtt
