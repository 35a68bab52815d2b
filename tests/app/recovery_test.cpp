// Autosave and crash recovery: the real program killed mid-edit leaves a recovery file
// that the next start offers; a clean close leaves none.
#include "app/main_frame.h"
#include "app/quillon_app.h"
#include "app_fixture.h"
#include "model/multitracker_doc.h"
#include "model/project_file.h"
#include "model/project_recovery.h"

#include <QCloseEvent>
#include <QCoreApplication>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <thread>
#include <sys/wait.h>
#include <unistd.h>

namespace quillon::test {
namespace {

namespace fs = std::filesystem;

class RecoveryTest : public AppFixture {
protected:
    // A saved project of `tracks` empty tracks.
    std::string project(int tracks)
    {
        const std::string path = tmp.file("song.vpf");
        MemorySettingsStore s;
        s.writeProfileInt("General", "StartupTracks", tracks);
        CMultitrackerDoc doc(s, prompter);
        doc.onNewDocument();
        std::string error;
        EXPECT_TRUE(ProjectFile::save(doc, path, error)) << error;
        return path;
    }
};

// Polls a condition with a generous bound; the bound only ends a hung test.
template <class F>
bool waitFor(F condition, std::chrono::seconds limit = std::chrono::seconds(60))
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

TEST_F(RecoveryTest, AProgramKilledMidEditIsRecoveredAtTheNextStart)
{
    const std::string path = project(1);
    const std::string recovery = path + ProjectRecovery::kSuffix;
    const std::string config = tmp.file("config");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        ::setenv("QUILLON_USER_CONFIG_DIR", config.c_str(), 1);
        ::setenv("QUILLON_SYSTEM_CONFIG_DIR", config.c_str(), 1);
        ::setenv("QUILLON_AUTOSAVE_INTERVAL_MS", "100", 1);
        // Insert Track: an edit the project file does not have.
        ::setenv("QUILLON_TEST_COMMANDS", "7772", 1);
        ::execl(QUILLON_PROGRAM, QUILLON_PROGRAM, path.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    const bool written = waitFor([&] { return fs::exists(recovery); });
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(written) << "no autosave appeared";
    ASSERT_TRUE(WIFSIGNALED(status));

    prompter.queueAnswer(true);
    CQuillonApp app(settings, prompter, folder("program"), folder("data"));
    ASSERT_TRUE(app.initInstance({QString::fromStdString(path)}, false));
    ASSERT_FALSE(prompter.messages().empty());
    EXPECT_NE(prompter.messages().back().find("\"song.vpf\" was not closed properly"), std::string::npos);
    EXPECT_EQ(app.document()->trackCount(), 2);
    EXPECT_TRUE(app.document()->isModified());
    EXPECT_EQ(app.frame()->projectPath(), QString::fromStdString(path));
    // Kept until the recovered work is saved or closed.
    EXPECT_TRUE(fs::exists(recovery));
    // Closing without saving is a clean close too (the save question is the window's
    // own, so the test closes an unmodified project).
    app.document()->setModified(false);
    QCloseEvent close;
    QCoreApplication::sendEvent(app.frame(), &close);
    EXPECT_TRUE(close.isAccepted());
    EXPECT_FALSE(fs::exists(recovery));
}

TEST_F(RecoveryTest, AutosaveWritesOnlyChangesAndASaveOrADeclineRemovesTheFile)
{
    const std::string path = project(1);
    const std::string recovery = path + ProjectRecovery::kSuffix;
    CQuillonApp app(settings, prompter, folder("program"), folder("data"));
    ASSERT_TRUE(app.initInstance({QString::fromStdString(path)}, false));
    ASSERT_TRUE(app.frame()->autosave());
    EXPECT_FALSE(fs::exists(recovery)); // nothing changed yet
    ASSERT_TRUE(app.frame()->runCommand(7772));
    ASSERT_TRUE(app.frame()->autosave());
    ASSERT_TRUE(fs::exists(recovery));
    EXPECT_TRUE(app.document()->isModified()); // an autosave is no save
    ASSERT_TRUE(app.frame()->saveProject(QString::fromStdString(path)));
    EXPECT_FALSE(fs::exists(recovery));

    // A left-over file the user declines is removed, and the project stays as saved.
    ASSERT_TRUE(app.frame()->runCommand(7772));
    ASSERT_TRUE(app.frame()->autosave());
    ProjectRecovery other(settings, prompter);
    CMultitrackerDoc doc(settings, prompter);
    std::string error, recovered;
    ASSERT_TRUE(ProjectFile::load(doc, path, error)) << error;
    prompter.queueAnswer(false);
    EXPECT_EQ(other.offer(doc, path, false, recovered), ProjectRecovery::Offer::Declined);
    EXPECT_FALSE(fs::exists(recovery));
    EXPECT_EQ(doc.trackCount(), 2);
    EXPECT_EQ(other.offer(doc, path, true, recovered), ProjectRecovery::Offer::None);
}

} // namespace
} // namespace quillon::test
