// The source's path (129), also after a failed open, and handing the source to the wave
// editor (126) through the command line the user set.

#include "filter_fixture.h"
#include "signal_helpers.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace quillon;
using namespace quillon::test;

namespace {

std::string writeTone(const TempDir& tmp, const std::string& name)
{
    const std::string path = tmp.file(name);
    EXPECT_TRUE(writeAudio(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 1, sineFrames(440.0, 0.5, 44100, 1, 4410)));
    return path;
}

std::string fileText(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

TEST(FileFilterSourcePath, TheSourceHeldOrTheOneAFailedOpenTried)
{
    TempDir tmp;
    const std::string path = writeTone(tmp, "take 1.wav");
    FileFilter filter = makeFilter(tmp.path().string());
    EXPECT_EQ(filter.sourcePath(), "");

    // Held in full and normalised, however it was named.
    ASSERT_TRUE(filter.openFile(tmp.path().string() + "/./sub/../take 1.wav"));
    EXPECT_EQ(filter.sourcePath(), path);
    const std::vector<uint8_t> state = filter.saveState();

    // A failed open names what it tried, so a project load can tell the user.
    EXPECT_FALSE(filter.openFile(tmp.file("missing.wav")));
    EXPECT_EQ(filter.sourcePath(), tmp.file("missing.wav"));
    ASSERT_TRUE(filter.openFile(path));
    EXPECT_EQ(filter.sourcePath(), path);

    std::filesystem::rename(path, tmp.file("moved.wav"));
    FileFilter loading = makeFilter(tmp.path().string());
    EXPECT_FALSE(loading.openState(state));
    EXPECT_EQ(loading.sourcePath(), path);
    // A state that is not one names nothing.
    const std::vector<uint8_t> junk = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    EXPECT_FALSE(loading.openState(junk));
    EXPECT_EQ(loading.sourcePath(), "");
}

TEST(FileFilterSourcePath, CutToTheBufferWithTheFullLength)
{
    TempDir tmp;
    const std::string path = writeTone(tmp, "tone.wav");
    FileFilter filter = makeFilter(tmp.path().string());
    ASSERT_TRUE(filter.openFile(path));
    char small[5];
    std::memset(small, 'x', sizeof small);
    QuillonFfSourcePath p{small, sizeof small, 0};
    filter.instance().call(QUILLON_FF_SOURCE_PATH, p);
    EXPECT_EQ(p.length, path.size());
    EXPECT_EQ(std::string(small), path.substr(0, 4));
    QuillonFfSourcePath bad{nullptr, 10, 0};
    EXPECT_EQ(filter.instance().command(QUILLON_FF_SOURCE_PATH, &bad, sizeof bad), QUILLON_E_BAD_PARAM);
}

TEST(FileFilterWaveEditor, StartsTheSetCommandOnTheFullPath)
{
    TestSettings settings;
    TempDir tmp;
    const std::string path = writeTone(tmp, "it's a \"take\".wav");
    const std::string out = tmp.file("editor-saw.txt");
    // The program gets the file as one argument, whatever characters its name holds.
    settings.setString("General", "WaveEditorCommand", "sh -c 'printf \"%%s\" \"$1\" > \"$0\"' '" + out + "' %f");
    FileFilter filter = makeFilter(tmp.path().string());
    ASSERT_TRUE(filter.openFile(path));
    filter.editInWaveEditor("it's a \"take\".wav");
    ASSERT_TRUE(waitFor([&] { return fileText(out) == path; })) << fileText(out);

    settings.setString("General", "WaveEditorCommand", "true");
    EXPECT_EQ(classComCode([&] { filter.editInWaveEditor("x.wav"); }), 0);
}

TEST(FileFilterWaveEditor, AnEditorThatCannotStartIsReported)
{
    TestSettings settings;
    TempDir tmp;
    const std::string path = writeTone(tmp, "tone.wav");
    FileFilter filter = makeFilter(tmp.path().string());
    EXPECT_EQ(classComCode([&] { filter.editInWaveEditor("tone.wav"); }), QUILLON_E_FAIL); // no source
    ASSERT_TRUE(filter.openFile(path));
    settings.setString("General", "WaveEditorCommand", tmp.file("no-such-editor") + " %f");
    EXPECT_EQ(classComCode([&] { filter.editInWaveEditor("tone.wav"); }), QUILLON_E_IO);
    settings.setString("General", "WaveEditorCommand", "'unclosed %f");
    EXPECT_EQ(classComCode([&] { filter.editInWaveEditor("tone.wav"); }), QUILLON_E_IO);
    // The source itself went away.
    settings.setString("General", "WaveEditorCommand", "true");
    std::filesystem::remove(path);
    EXPECT_EQ(classComCode([&] { filter.editInWaveEditor("tone.wav"); }), QUILLON_E_IO);
}
