#include "wave_editor_launcher.h"

#include "base/memory_settings_store.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <unistd.h>

namespace quillon::filefilter {
namespace {

using Words = std::vector<std::string>;

TEST(WaveEditorLauncherArguments, SplitLikeAShellButSubstituteTheFile)
{
    const std::string file = "/music/My Song; rm -rf ~ $(x) 'q'.wav";
    EXPECT_EQ(WaveEditorLauncher::arguments("xdg-open %f", file), (Words{"xdg-open", file}));
    EXPECT_EQ(WaveEditorLauncher::arguments("editor", file), (Words{"editor", file}));
    EXPECT_EQ(WaveEditorLauncher::arguments("  editor   --open=%f  -x ", file), (Words{"editor", "--open=" + file, "-x"}));
    EXPECT_EQ(WaveEditorLauncher::arguments("\"/opt/Wave Tools/edit\" '%f' 100%%", file),
              (Words{"/opt/Wave Tools/edit", file, "100%"}));
    EXPECT_EQ(WaveEditorLauncher::arguments("ed a\\ b \"\" '\"'", "f"), (Words{"ed", "a b", "", "\"", "f"}));
    EXPECT_EQ(WaveEditorLauncher::arguments("ed %g", "f"), (Words{"ed", "%g", "f"}));

    EXPECT_FALSE(WaveEditorLauncher::arguments("", file));
    EXPECT_FALSE(WaveEditorLauncher::arguments("   ", file));
    EXPECT_FALSE(WaveEditorLauncher::arguments("\"editor %f", file));
    EXPECT_FALSE(WaveEditorLauncher::arguments("'' %f", file));
}

TEST(WaveEditorLauncher, CommandLineComesFromTheSettings)
{
    MemorySettingsStore store;
    test::TempDir dir;
    const std::string file = dir.file("a.wav");
    std::ofstream(file) << "x";
    // The default needs xdg-open, which a build machine may lack: compare the words only.
    EXPECT_EQ(WaveEditorLauncher::arguments(WaveEditorLauncher::kDefaultCommand, file), (Words{"xdg-open", file}));
    store.writeProfileString("General", WaveEditorLauncher::kSettingName, "/nonexistent/editor %f");
    WaveEditorLauncher launcher = WaveEditorLauncher::fromSettings(store);
    EXPECT_EQ(launcher.launch(file), WaveEditorLauncher::Result::NotFound);
}

// A stand-in editor that records its arguments and its parent, then exits.
TEST(WaveEditorLauncher, StartsTheProgramDetachedWithTheFile)
{
    test::TempDir dir;
    const std::string script = dir.file("editor.sh");
    const std::string record = dir.file("record.txt");
    std::ofstream(script) << "#!/bin/sh\nout=\"$1\"; shift\n{ echo \"$PPID\"; printf '%s\\n' \"$@\"; } > \"$out.tmp\"\n"
                             "mv \"$out.tmp\" \"$out\"\n";
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    const std::string file = dir.file("take 1 $(date).wav");
    std::ofstream(file) << "x";

    WaveEditorLauncher launcher("'" + script + "' '" + record + "' --open %f");
    ASSERT_EQ(launcher.launch(file), WaveEditorLauncher::Result::Started);
    EXPECT_EQ(launcher.lastErrno(), 0);
    for (int i = 0; i < 500 && !std::filesystem::exists(record); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::ifstream in(record);
    ASSERT_TRUE(in) << "the editor did not run";
    std::string parent;
    std::string option;
    std::string path;
    std::getline(in, parent);
    std::getline(in, option);
    std::getline(in, path);
    EXPECT_NE(parent, std::to_string(getpid())); // not our child: adopted once detached
    EXPECT_EQ(option, "--open");
    EXPECT_EQ(path, file);
}

TEST(WaveEditorLauncher, FailuresAreReported)
{
    test::TempDir dir;
    const std::string file = dir.file("a.wav");
    std::ofstream(file) << "x";

    EXPECT_EQ(WaveEditorLauncher("true").launch(dir.file("missing.wav")), WaveEditorLauncher::Result::NoFile);
    EXPECT_EQ(WaveEditorLauncher("").launch(file), WaveEditorLauncher::Result::BadCommand);
    WaveEditorLauncher missing("no-such-wave-editor-here %f");
    EXPECT_EQ(missing.launch(file), WaveEditorLauncher::Result::NotFound);
    EXPECT_NE(missing.lastErrno(), 0);

    // Executable bit set, but nothing the kernel can run.
    const std::string bogus = dir.file("bogus");
    std::ofstream(bogus) << "\x7f" "ELF garbage";
    std::filesystem::permissions(bogus, std::filesystem::perms::owner_all);
    WaveEditorLauncher broken(bogus);
    EXPECT_EQ(broken.launch(file), WaveEditorLauncher::Result::StartFailed);
    EXPECT_EQ(broken.lastErrno(), ENOEXEC);

    // Not executable at all.
    const std::string plain = dir.file("plain");
    std::ofstream(plain) << "#!/bin/sh\n";
    std::filesystem::permissions(plain, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_EQ(WaveEditorLauncher(plain).launch(file), WaveEditorLauncher::Result::NotFound);
}

} // namespace
} // namespace quillon::filefilter
