#include "mqtt/publisher.h"

#include <exception>
#include <utility>

#include "mqtt/link.h"
#include "platform/ui_thread.h"

namespace mqtt {

namespace {
constexpr int kQosRetained = 1;
}

Publisher::Publisher(Settings settings, DeviceInfo device, UiThread& owner, WarningSink warn)
    : settings_(std::move(settings)),
      device_(std::move(device)),
      owner_(owner),
      warn_(std::move(warn)),
      alarm_topic_(settings_.topic + "/alarm"),
      availability_topic_(AvailabilityTopic(settings_)) {}

Publisher::~Publisher() {
    Stop();
}

void Publisher::Start() {
    if (!settings_.enabled || link_ || stopped_) return;
    std::string client_id = settings_.name;
    if (!device_.machine_tag.empty()) client_id += "-" + device_.machine_tag;
    Link::Sink sink = [&owner = owner_, alive = std::weak_ptr<int>(alive_), this](LinkEvent e) {
        owner.post([alive, this, e = std::move(e)] {
            if (!alive.expired()) Handle(e);
        });
    };
    try {
        link_ = std::make_unique<Link>(settings_, client_id, std::move(sink));
    } catch (const std::exception& e) {
        Warn("Публикация MQTT не запущена: " + std::string(e.what()));
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
    link_->QueueState(StatePayload(sample));
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
    Counters c = counters_;
    if (link_) {
        c.states_sent = link_->StatesSent();
        c.states_replaced = link_->StatesReplaced();
        c.states_in_flight = link_->StatesInFlight();
    }
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
    }
}

void Publisher::OnConnected() {
    connected_ = true;
    ++counters_.connections;
    if (trouble_ != Trouble::kNone)
        Warn("Связь с брокером MQTT " + Where() +
             (ever_connected_ ? " восстановлена." : " установлена."));
    trouble_ = Trouble::kNone;
    ever_connected_ = true;
    // The broker may have lost its retained messages (a restart without persistence).
    for (const Message& m : DiscoveryMessages(settings_, device_)) SendRetained(m.topic, m.payload);
    SendRetained(availability_topic_, kOnline);
    SendRetained(alarm_topic_, AlarmPayload(alarms_));
}

void Publisher::OnEnded(const LinkEvent& event) {
    connected_ = false;
    ++counters_.attempts_ended;
    const Trouble trouble = event.refused ? Trouble::kRefused : Trouble::kUnreachable;
    if (trouble == trouble_) return;
    trouble_ = trouble;
    if (trouble == Trouble::kRefused)
        Warn("Брокер MQTT " + Where() + " не принял вход: " + event.reason +
             " Попытки продолжаются.");
    else if (event.had_connected)
        Warn("Связь с брокером MQTT " + Where() + " потеряна: " + event.reason);
    else
        Warn("Нет связи с брокером MQTT " + Where() + ": " + event.reason);
}

void Publisher::SendRetained(const std::string& topic, const std::string& payload) {
    link_->Publish(topic, payload, kQosRetained, true);
}

void Publisher::Warn(const std::string& text) const {
    if (warn_) warn_(kWarningTitle, text);
}

std::string Publisher::Where() const {
    return settings_.host + ":" + std::to_string(settings_.port);
}

}  // namespace mqtt
