#pragma once
// TForm1 on test doubles: a virtual clock for every timer, the in-memory serial device on
// "COM7", a recording notification area, sound, clipboard and notices, scripted dialogs and
// a configuration in a temporary folder. The window is shown (offscreen) as a user sees it.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "app/qt/form1.h"
#include "app/qt/tests/double_services.h"
#include "engine/tests/packet_bytes.h"
#include "platform/qt/tests/qt_test_app.h"
#include "ui_form1.h"

class Form1Test : public ::testing::Test, protected DoubleServices {
  protected:
    Form1Test() {
        folder = std::filesystem::temp_directory_path() /
                 ("form1-test-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
        std::filesystem::create_directories(folder);
        line = backend.AddPort("COM7");
    }
    ~Form1Test() override {
        form.reset();
        std::filesystem::remove_all(folder);
    }

    // The configuration file's text, before the window is made.
    void Configure(const std::string& ini) { std::ofstream(ConfigPath()) << ini; }

    // Makes and shows the window.
    TForm1& Open() {
        services = Make(ConfigPath(), (folder / "log").string());
        form = std::make_unique<TForm1>(*services);
        form->show();
        QApplication::setActiveWindow(form.get());
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        return *form;
    }

    // Opens the port on the in-memory device with the Start button.
    void Start() {
        form->SetPortName("COM7");
        QTest::mouseClick(form->ui().SpBtnOpenCom, Qt::LeftButton);
        ASSERT_TRUE(form->ComPort1().Connected());
    }

    // Bytes arrive now on the virtual clock; waits until the window has handled them.
    void Receive(const test_packets::Bytes& bytes) {
        line->Feed(bytes, std::chrono::milliseconds(clock.Now()));
        ASSERT_TRUE(ui_thread.RunUntil([&] { return line->Snapshot().input_queued == 0; },
                                       std::chrono::seconds(5)));
    }

    static std::string ReadFile(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    std::string ConfigPath() const { return (folder / "incubator-monitor.ini").string(); }
    std::string LastLine() { return form->Display().Line(form->Display().Count() - 1); }
    // Balloons the tray shell was asked to show, as "title|text".
    std::vector<std::string> Balloons() const {
        std::vector<std::string> shown;
        for (const auto& call : tray.calls)
            if (call.record.balloon && !call.record.balloon_text.empty())
                shown.push_back(call.record.balloon_title + "|" + call.record.balloon_text);
        return shown;
    }

    static inline int counter = 0;
    std::filesystem::path folder;
    std::shared_ptr<FakeSerialLine> line;
    std::unique_ptr<MainWindowServices> services;
    std::unique_ptr<TForm1> form;
};
