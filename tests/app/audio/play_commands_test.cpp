// The window's play commands on the engine's transport, sounding through the test card.

#include "alsa_test_setup.h"
#include "app/main_frame.h"
#include "app/quillon_app.h"
#include "base/memory_settings_store.h"
#include "base/recording_prompter.h"
#include "model/multitracker_doc.h"
#include "support/temp_dir.h"
#include "support/test_audio.h"
#include "ui/command_ids.h"
#include "ui/multitracker_view.h"

#include <gtest/gtest.h>

namespace quillon::test {
namespace {

TEST(PlayCommands, PlayWhilePlayingStopsWhereThePlaybackIs)
{
    AlsaTestSetup::configure(AlsaTestSetup::defaults());
    TempDir tmp;
    ScopedEnv peaks("QUILLON_PEAK_DIR", tmp.path().string());
    ScopedEnv cache("XDG_CACHE_HOME", tmp.file("cache"));
    ScopedEnv runtime("XDG_RUNTIME_DIR", tmp.file("run"));
    MemorySettingsStore settings;
    RecordingPrompter prompter;
    std::filesystem::create_directories(tmp.path() / "program");
    std::filesystem::create_directories(tmp.path() / "data");
    CQuillonApp app(settings, prompter, QString::fromStdString(tmp.file("program")),
                    QString::fromStdString(tmp.file("data")));
    ASSERT_TRUE(app.initInstance({}, false));
    TestTone tone;
    tone.frames = 44100 * 5;
    ASSERT_TRUE(writeTone(tmp.file("tone.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_16, tone));
    ASSERT_TRUE(app.frame()->insertFiles({QString::fromStdString(tmp.file("tone.wav"))}).isEmpty());
    CMultitrackerDoc& doc = *app.document();
    CMultitrackerView& view = *app.frame()->view();

    for (int command : {cmd::kPlayFromCursor, cmd::kPlayAll}) {
        SCOPED_TRACE(command);
        doc.setMarkedSection({44100, 44100 * 4});
        doc.setCursor(0);
        ASSERT_TRUE(app.frame()->runCommand(command));
        ASSERT_TRUE(view.isPlaying());
        // Where the shown cursor has got to; the Stop command would put it back at the
        // marked section's start.
        doc.setCursor(99999);
        ASSERT_TRUE(app.frame()->runCommand(command));
        EXPECT_FALSE(view.isPlaying());
        EXPECT_EQ(doc.cursor(), 99999);
    }
    // The Stop command itself still returns to the section.
    ASSERT_TRUE(app.frame()->runCommand(cmd::kPlayFromCursor));
    ASSERT_TRUE(view.isPlaying());
    ASSERT_TRUE(app.frame()->runCommand(cmd::kStopPlaying));
    EXPECT_FALSE(view.isPlaying());
    EXPECT_EQ(doc.cursor(), 44100);
}

} // namespace
} // namespace quillon::test
