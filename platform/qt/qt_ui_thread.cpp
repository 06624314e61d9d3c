#include "platform/qt/qt_ui_thread.h"

#include <QMetaObject>
#include <QThread>
#include <QtGlobal>

#include "platform/ui_handover.h"

namespace {

void WarnAbout(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        qWarning("%s", e.what());
    } catch (...) {
        qWarning("unknown exception");
    }
}

}  // namespace

QtUiThread::QtUiThread() : report_(WarnAbout) {}

bool QtUiThread::runAndWait(std::function<void()> step, std::stop_token cancel) {
    if (QThread::currentThread() == context_.thread()) {
        step();
        return true;
    }
    // A blocking queued call that the caller can give up on: a blocking one that cannot would
    // hang a ClosePort that waits for this thread on the GUI thread.
    return RunHandover(
        [this](std::function<void()> run) {
            QMetaObject::invokeMethod(&context_, std::move(run), Qt::QueuedConnection);
        },
        std::move(step), std::move(cancel));
}

void QtUiThread::post(std::function<void()> step) {
    QMetaObject::invokeMethod(
        &context_,
        [this, step = std::move(step)] {
            // An exception must not unwind through the event loop.
            try {
                step();
            } catch (...) {
                if (report_) report_(std::current_exception());
            }
        },
        Qt::QueuedConnection);
}
