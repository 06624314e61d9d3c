#pragma once
// Mosquitto brokers of the tests' own on 127.0.0.1, and mosquitto_sub readers of them.

#include <sys/types.h>

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "mqtt/settings.h"
#include "platform/doubles/queued_ui_thread.h"
#include "testing/temp_folder.h"

struct BrokerOptions {
    std::string user, password;  // set: logins need them
    bool tls = false;            // a certificate signed by a CA made for this broker
};

class TestBroker {
  public:
    TestBroker() : TestBroker(BrokerOptions()) {}
    explicit TestBroker(BrokerOptions options);
    ~TestBroker() { Stop(); }

    void Start();             // returns once the broker takes connections
    void Stop();              // SIGTERM: connections close
    void Signal(int signal);  // SIGSTOP: connections stay open and nothing is read

    int Port() const { return port_; }
    std::string CaFile() const { return folder_.File("ca.crt"); }
    const TempFolder& Folder() const { return folder_; }
    // Publisher settings for this broker (TLS with its CA when it has one), quick to retry.
    mqtt::Settings ClientSettings(const std::string& name = "box") const;
    // A mosquitto_sub or mosquitto_pub command line that reaches it.
    std::vector<std::string> Client(const std::string& tool,
                                    std::vector<std::string> arguments) const;

  private:
    BrokerOptions options_;
    TempFolder folder_;
    int port_ = 0;
    pid_t pid_ = -1;
};

// mosquitto_sub on "#" for as long as it lives.
class Subscriber {
  public:
    explicit Subscriber(const TestBroker& broker);
    ~Subscriber();
    // The payloads received on `topic`, in order.
    std::vector<std::string> On(const std::string& topic);

  private:
    std::string file_;
    pid_t pid_ = -1;
    std::vector<std::pair<std::string, std::string>> received_;  // topic, payload
    std::size_t read_ = 0;  // bytes of the file parsed into received_
};

// The retained messages the broker holds now, by topic (a fresh mosquitto_sub for a second).
std::map<std::string, std::string> RetainedMessages(const TestBroker& broker);

// Leaves `payload` retained on `topic`, as another client would (mosquitto_pub).
void PublishRetained(const TestBroker& broker, const std::string& topic,
                     const std::string& payload);

// Pumps the test's UI thread until `done` or 15 seconds.
bool Await(QueuedUiThread& ui, const std::function<bool()>& done);
