// libcanberra itself, on whatever sound system the machine has (often none).
#include "platform/posix/canberra_sound.h"

#include <canberra.h>
#include <gtest/gtest.h>

#include "platform/posix/tests/temp_folder.h"

namespace {

using platform::PlayOutcome;
using platform::SoundRequest;

TEST(CanberraSound, ResultCodesSeparateBadFilesFromMissingOutput) {
    EXPECT_EQ(platform::ClassifyCanberraResult(CA_SUCCESS), PlayOutcome::Played);
    EXPECT_EQ(platform::ClassifyCanberraResult(CA_ERROR_CORRUPT), PlayOutcome::BadFile);
    EXPECT_EQ(platform::ClassifyCanberraResult(CA_ERROR_IO), PlayOutcome::BadFile);
    // The same code as for a missing file: the caller has already checked the file.
    EXPECT_EQ(platform::ClassifyCanberraResult(CA_ERROR_NOTFOUND), PlayOutcome::NoDevice);
    EXPECT_EQ(platform::ClassifyCanberraResult(CA_ERROR_NODRIVER), PlayOutcome::NoDevice);
    EXPECT_EQ(platform::ClassifyCanberraResult(CA_ERROR_DISCONNECTED), PlayOutcome::NoDevice);
}

TEST(CanberraSound, AReadableFileThatIsNoSoundIsABadFile) {
    TempFolder temp;
    TempFolder::Write(temp / "alarm.wav", "this is not a wave file");
    platform::CanberraOutput output;
    EXPECT_EQ(output.Play({SoundRequest::Kind::File, temp / "alarm.wav"}), PlayOutcome::BadFile);
    output.Stop();
}

}  // namespace
