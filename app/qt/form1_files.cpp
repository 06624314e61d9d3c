// The statistics files: the autosave to the daily file, "Сохранить как..", "Открыть.." and
// what closing the window does with the display and the configuration.
#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QScrollBar>
#include <future>

#include "app/configuration.h"
#include "app/qt/form1.h"
#include "app/qt/form_hint.h"
#include "config/program_ending.h"
#include "config/program_output.h"
#include "engine/statistics/daily_file_name.h"
#include "engine/statistics/history_refill.h"
#include "engine/statistics/posix_file_system.h"
#include "engine/statistics/statistics_file.h"
#include "platform/posix/freed_memory.h"
#include "ui_form1.h"

void TForm1::TimerSaveFileTimer() {
    engine_->Autosave();
}

statistics::FileSystem& TForm1::Files() const {
    return services_.files ? *services_.files : statistics::RealFileSystem();
}

void TForm1::LastAutosave() {
    engine_->LastAutosave(services_.unsaved_dir);
}

void TForm1::ReportAtEnd(const std::string& message) {
    config::SayOnStandardError("incubator-monitor", message);
    Warn({Severity::kError, windowTitle().toStdString(), message, 30});
}

bool TForm1::NSave1Click() {
    platform::FileDialogOptions options;
    options.filter = "*.txt (*.txt)";
    options.default_suffix = "txt";
    options.proposed_name = statistics::DailyFileName(services_.now());
    options.confirm_overwrite = false;  // asked below, in the program's own words
    const std::optional<std::string> path = services_.dialogs.SaveFile(this, options);
    if (!path) return false;
    if (Files().Exists(*path) &&
        services_.dialogs.Message(this, "Такой файл есть.  Продолжить?", "Совпадение имен.",
                                  platform::MessageButtons::YesNo,
                                  platform::MessageIcon::Question) != platform::MessageResult::Yes)
        return false;
    statistics::SaveStatisticsFile(Files(), *path, memo_);
    ui_->Memo1->document()->setModified(false);
    return true;
}

void TForm1::NLoad1Click() {
    platform::FileDialogOptions options;
    options.filter = "txt (*.txt)";
    const std::optional<std::string> path = services_.dialogs.OpenFile(this, options);
    if (!path) return;
    status_panel_->setText(QString::fromStdString(*path));
    ShowStatisticsLines(statistics::ReadStatisticsFile(Files(), *path));
    // A day's text passed through several copies on its way into the display; give them back.
    platform::ReturnFreedMemory();
}

void TForm1::ShowStatisticsLines(const std::vector<std::string>& lines) {
    // A new history is filled from the lines on a worker while this thread fills the display;
    // it takes the place of the one in use once the worker is joined.
    auto history = std::make_unique<SampleHistory>();
    std::future<statistics::HistoryRefill> filling =
        std::async(std::launch::async,
                   [&lines, &fresh = *history] { return statistics::RefillHistory(lines, fresh); });

    memo_.SetLines(lines);

    const statistics::HistoryRefill refill = filling.get();
    history_.Replace(std::move(history));
    if (refill.exceeded)
        services_.dialogs.Message(this, statistics::kTooManyLinesMessage,
                                  windowTitle().toStdString(), platform::MessageButtons::Ok,
                                  platform::MessageIcon::None);
    if (refill.error) {
        ReportError(*refill.error);
        return;
    }
    const int last = static_cast<int>(memo_.Count()) - 1;
    FillChart(last);
    if (last >= 1) {
        ui_->ScrollBarAllGraf->setMaximum(last);
        ui_->ScrollBarAllGraf->setValue(last);
    }
    GraphM1().SetMaxXValue(ui_->ScrollBarXScale->value() + 50);
    GraphM1().SetScale(100);
    GraphM1().SetScale(101);
}

bool TForm1::FormCloseQuery() {
    // The user is about to be asked about the display: it must not be emptied now.
    engine_->Autosave(false);
    if (ui_->Memo1->document()->isModified()) {
        const platform::MessageResult answer = services_.dialogs.Message(
            this, "Сохранить статистику?", "Завершение работы",
            platform::MessageButtons::YesNoCancel, platform::MessageIcon::Question);
        if (answer == platform::MessageResult::Cancel) return false;
        // A save that was cancelled or failed keeps the window, and so the statistics.
        if (answer == platform::MessageResult::Yes) {
            bool saved = false;
            UserAction([&] { saved = NSave1Click(); });
            if (!saved) return false;
        }
    }
    engine_->ClosePort();
    // Lines kept coming while the questions were open; they are only in the buffer yet.
    LastAutosave();
    return true;
}

void TForm1::FormClose() {
    hint_->hide();
    engine_->SavePortSettings(services_.config_path);
    platform::IniFile ini(services_.config_path);
    config::CloseState state;
    state.placement = {y(), x(), width(), height()};
    // A window minimised into the tray stays minimised while hidden there; its size is still
    // the one to come back with.
    const bool in_tray = isMinimized() && !isVisible();
    state.state = isMaximized()               ? config::TWindowState::wsMaximized
                  : isMinimized() && !in_tray ? config::TWindowState::wsMinimized
                                              : config::TWindowState::wsNormal;
    state.chart = {ui_->ScrollBarGainY->value(),
                   ui_->ScrollBarPosY->value(),
                   ui_->ScrollBarXScale->value(),
                   ui_->ChBoxGrafNagrev->isChecked(),
                   ui_->EdOfsetNagreCurve->text().toStdString(),
                   ui_->EdHeightNagreCurve->text().toStdString()};
    state.limits = Limits();
    state.Sound = window_settings_.Sound;
    config::WriteCloseConfiguration(ini, state);
}

void TForm1::closeEvent(QCloseEvent* event) {
    bool close = ending_;
    if (!close) UserAction([&] { close = FormCloseQuery(); });
    if (!close) {
        event->ignore();
        return;
    }
    // An end that asks nobody must not wait for anybody over a failed write either.
    if (ending_)
        AtEnd([&] { FormClose(); });
    else
        UserAction([&] { FormClose(); });
    closed_ = true;
    event->accept();
    // The program ends with its main window, not with its last visible window.
    QCoreApplication::quit();
}

void TForm1::EndWithoutAsking() {
    // The port first, so that no line can come after the last autosave; the publishers last,
    // so that a broker away holds up neither the save nor the settings.
    config::EndProgram({
                           .close_port = [&] { engine_->ClosePort(); },
                           .last_autosave = [&] { LastAutosave(); },
                           .keep_settings =
                               [&] {
                                   ending_ = true;
                                   close();
                                   // Refused while a close of the user's waits in a question
                                   // ("Сохранить статистику?"): the settings are written here
                                   // instead.
                                   if (!closed_) AtEnd([&] { FormClose(); });
                                   closed_ = true;
                               },
                           .stop_publishers = services_.stop_publishers,
                       },
                       [&](config::EndingStep, const std::string& what) { ReportAtEnd(what); });
    // Every event loop returns, a modal box's too, and no later one waits for anybody: the
    // program ends whatever was open.
    QCoreApplication::exit(0);
}
