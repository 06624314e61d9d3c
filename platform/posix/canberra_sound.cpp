#include "platform/posix/canberra_sound.h"

#include <canberra.h>

#include <utility>

namespace platform {

namespace {

constexpr std::uint32_t kPlaybackId = 1;

}  // namespace

struct CanberraOutput::Context {
    ca_context* handle = nullptr;
};

CanberraOutput::CanberraOutput() : context_(std::make_unique<Context>()) {
    if (ca_context_create(&context_->handle) != CA_SUCCESS) {
        context_->handle = nullptr;
        return;
    }
    ca_context_change_props(context_->handle, CA_PROP_APPLICATION_NAME, "incubator-monitor",
                            CA_PROP_APPLICATION_ID, "incubator-monitor", nullptr);
}

CanberraOutput::~CanberraOutput() {
    if (context_->handle) ca_context_destroy(context_->handle);
}

PlayOutcome CanberraOutput::Play(const SoundRequest& request) {
    if (!context_->handle) return PlayOutcome::NoDevice;
    ca_context_cancel(context_->handle, kPlaybackId);
    int code;
    if (request.kind == SoundRequest::Kind::File) {
        code = ca_context_play(context_->handle, kPlaybackId, CA_PROP_MEDIA_FILENAME,
                               request.path.c_str(), CA_PROP_MEDIA_ROLE, "event", nullptr);
    } else {
        code = ca_context_play(context_->handle, kPlaybackId, CA_PROP_EVENT_ID, kWarningSoundEvent,
                               CA_PROP_MEDIA_ROLE, "event", nullptr);
    }
    return ClassifyCanberraResult(code);
}

void CanberraOutput::Stop() {
    if (context_->handle) ca_context_cancel(context_->handle, kPlaybackId);
}

PlayOutcome ClassifyCanberraResult(int code) {
    switch (code) {
        case CA_SUCCESS:
            return PlayOutcome::Played;
        // The file opened (ChooseSound checked it) but did not decode.
        case CA_ERROR_CORRUPT:
        case CA_ERROR_IO:
        case CA_ERROR_TOOBIG:
            return PlayOutcome::BadFile;
        default:
            return PlayOutcome::NoDevice;
    }
}

std::unique_ptr<Sound> MakeCanberraSound(std::string executable_folder) {
    AsyncSound::Options options;
    options.executable_folder = std::move(executable_folder);
    return std::make_unique<AsyncSound>([] { return std::make_unique<CanberraOutput>(); },
                                        std::move(options));
}

}  // namespace platform
