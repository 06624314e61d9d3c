// The notifier against a private message bus (dbus-daemon, started by the test) with a fake
// notification service registered by this test program.
#include "platform/qt/qt_desktop_notifier.h"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QDBusVirtualObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/qt/tests/qt_test_app.h"

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");

// A bus of our own, so that neither a desktop's notification service nor one the system
// could start on demand answers in its place.
class PrivateBus {
  public:
    PrivateBus() {
        QFile config(dir_.filePath("bus.conf"));
        if (!config.open(QIODevice::WriteOnly)) return;
        // The policy of a desktop's session bus: QtDBus does not cope with a stricter one.
        config.write(QStringLiteral("<busconfig><type>session</type><listen>unix:dir=%1</listen>"
                                    "<policy context=\"default\"><allow send_destination=\"*\" "
                                    "eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
                                    "<allow own=\"*\"/></policy></busconfig>\n")
                         .arg(dir_.path())
                         .toUtf8());
        config.close();
        daemon_.start("dbus-daemon", {"--config-file=" + config.fileName(), "--print-address",
                                      "--nofork", "--nopidfile"});
        while (daemon_.waitForReadyRead(10000) && !daemon_.canReadLine()) {
        }
        address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
    }
    ~PrivateBus() {
        daemon_.terminate();
        if (!daemon_.waitForFinished(5000)) daemon_.kill();
    }
    const QString& address() const { return address_; }

  private:
    QTemporaryDir dir_;
    QProcess daemon_;
    QString address_;
};

struct Received {
    QString member;
    QString signature;
    QList<QVariant> arguments;
};

// org.freedesktop.Notifications as far as the notifier uses it. Calls arrive on its own
// thread, since the notifier blocks the test's thread while it waits for the answer.
class FakeNotifications : public QDBusVirtualObject {
  public:
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        std::lock_guard lock(mutex);
        received.push_back({message.member(), message.signature(), message.arguments()});
        if (silent) return true;
        if (message.member() == "GetCapabilities")
            connection.send(message.createReply(QVariant(capabilities)));
        else if (message.member() == "Notify")
            connection.send(message.createReply(QVariant::fromValue(quint32(next_id++))));
        else
            return false;
        return true;
    }

    std::optional<Received> Last(const QString& member) {
        std::lock_guard lock(mutex);
        for (auto it = received.rbegin(); it != received.rend(); ++it)
            if (it->member == member) return *it;
        return std::nullopt;
    }

    std::mutex mutex;
    std::vector<Received> received;
    QStringList capabilities{"body"};
    bool silent = false;  // never answers
    quint32 next_id = 7;  // the id the next notice gets
};

class QtDesktopNotifierTest : public ::testing::Test {
  protected:
    void SetUp() override {
        TestApp();
        ASSERT_FALSE(bus.address().isEmpty()) << "dbus-daemon did not start";
        client = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(bus.address(), "notifier-client"));
        ASSERT_TRUE(client->isConnected());
    }
    void TearDown() override {
        if (service) {
            service->unregisterObject(kPath);
            service->unregisterService(kService);
            service.reset();
            QDBusConnection::disconnectFromBus("notifications-service");
        }
        client.reset();
        QDBusConnection::disconnectFromBus("notifier-client");
        thread.quit();
        thread.wait();
    }

    void StartService() {
        fake.moveToThread(&thread);
        thread.start();
        service = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(bus.address(), "notifications-service"));
        ASSERT_TRUE(service->registerVirtualObject(kPath, &fake));
        ASSERT_TRUE(service->registerService(kService));
    }

    PrivateBus bus;
    FakeNotifications fake;
    QThread thread;
    std::unique_ptr<QDBusConnection> service;
    std::unique_ptr<QDBusConnection> client;
};

TEST_F(QtDesktopNotifierTest, TheNoticeReachesTheServiceWithItsTextsAndTimeout) {
    StartService();
    platform::QtDesktopNotifier notifier(*client);
    EXPECT_TRUE(notifier.Notify("Инкубатор", "Нет данных <от> контроллера & порта", 5));

    const auto call = fake.Last("Notify");
    ASSERT_TRUE(call);
    EXPECT_EQ(call->signature, "susssasa{sv}i");
    ASSERT_EQ(call->arguments.size(), 8);
    EXPECT_EQ(call->arguments[0].toString(), "incubator-monitor");
    EXPECT_EQ(call->arguments[1].toUInt(), 0u);
    EXPECT_EQ(call->arguments[3].toString(), "Инкубатор");
    // A service without body markup takes the text as it is.
    EXPECT_EQ(call->arguments[4].toString(), "Нет данных <от> контроллера & порта");
    EXPECT_TRUE(call->arguments[5].toStringList().isEmpty());
    EXPECT_EQ(call->arguments[7].toInt(), 5000);

    EXPECT_TRUE(notifier.Notify("t", "x", 0));
    EXPECT_EQ(fake.Last("Notify")->arguments[7].toInt(), -1);
}

TEST_F(QtDesktopNotifierTest, EachNoticeReplacesTheOneBeforeUntilTheServiceIsReplaced) {
    StartService();
    platform::QtDesktopNotifier notifier(*client);
    auto replaced = [&] { return fake.Last("Notify")->arguments[1].toUInt(); };
    ASSERT_TRUE(notifier.Notify("Тревога", "T1", 10));
    EXPECT_EQ(replaced(), 0u);
    ASSERT_TRUE(notifier.Notify("Тревога", "T2", 10));
    EXPECT_EQ(replaced(), 7u);
    ASSERT_TRUE(notifier.Notify("Тревога", "T1", 10));
    EXPECT_EQ(replaced(), 8u);

    // A service that went away and came back numbers its notices afresh. The owner changes
    // reach the notifier through the event loop, as they reach this watcher.
    QDBusServiceWatcher seen(kService, *client, QDBusServiceWatcher::WatchForOwnerChange);
    int changes = 0;
    QObject::connect(&seen, &QDBusServiceWatcher::serviceOwnerChanged, [&] { ++changes; });
    service->unregisterService(kService);
    ASSERT_TRUE(service->registerService(kService));
    ASSERT_TRUE(QTest::qWaitFor([&] { return changes == 2; }, 5000));
    {
        std::lock_guard lock(fake.mutex);
        fake.next_id = 1;
    }
    ASSERT_TRUE(notifier.Notify("Тревога", "T2", 10));
    EXPECT_EQ(replaced(), 0u);
    ASSERT_TRUE(notifier.Notify("Тревога", "T1", 10));
    EXPECT_EQ(replaced(), 1u);
}

TEST_F(QtDesktopNotifierTest, MarkupInTheTextIsEscapedForAServiceThatReadsMarkup) {
    fake.capabilities = {"body", "body-markup", "actions"};
    StartService();
    platform::QtDesktopNotifier notifier(*client);
    EXPECT_TRUE(notifier.Notify("T1 < 37", "T1 < 37 & T2 > 38", 3));
    const auto call = fake.Last("Notify");
    ASSERT_TRUE(call);
    EXPECT_EQ(call->arguments[3].toString(), "T1 < 37");
    EXPECT_EQ(call->arguments[4].toString(), "T1 &lt; 37 &amp; T2 &gt; 38");
}

TEST_F(QtDesktopNotifierTest, NoServiceOnTheBusIsFalse) {
    platform::QtDesktopNotifier notifier(*client);
    EXPECT_FALSE(notifier.Notify("title", "text", 5));
}

TEST_F(QtDesktopNotifierTest, AServiceThatDoesNotAnswerInTimeIsFalse) {
    fake.silent = true;
    StartService();
    platform::QtDesktopNotifier notifier(*client, 200);
    EXPECT_FALSE(notifier.Notify("title", "text", 5));
}

TEST(QtDesktopNotifierNoBus, NoBusIsFalse) {
    TestApp();
    const QDBusConnection none =
        QDBusConnection::connectToBus("unix:path=/nonexistent/incubator-bus", "no-bus");
    EXPECT_FALSE(none.isConnected());
    platform::QtDesktopNotifier notifier(none);
    EXPECT_FALSE(notifier.Notify("title", "text", 5));
    QDBusConnection::disconnectFromBus("no-bus");
}

}  // namespace
