// One QApplication for the whole test run (the platform is offscreen under CTest), drawing
// with one packaged font: text measured or painted by a test must not depend on which
// other fonts the machine happens to have.

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QTest>
#include <QThreadPool>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

// Whether a thread of Qt's global pool is still alive in this process.
bool poolThreadAlive()
{
    std::error_code error;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task", error)) {
        std::ifstream comm(task.path() / "comm");
        std::string name;
        if (std::getline(comm, name) && name == "Thread (pooled)")
            return true;
    }
    return false;
}

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        m_app = new QApplication(m_argc, m_argv);
        const int id = QFontDatabase::addApplicationFont(QStringLiteral(QUILLON_TEST_FONT));
        const QStringList families = id < 0 ? QStringList() : QFontDatabase::applicationFontFamilies(id);
        if (families.isEmpty()) {
            ADD_FAILURE() << "cannot load the test font " << QUILLON_TEST_FONT
                          << " (scripts/install-deps.sh installs it)";
            return;
        }
        QFont font(families.first());
        font.setPointSize(9);
        QApplication::setFont(font);
        // Widgets that name a family of their own get this one where that is not installed.
        QFont::insertSubstitution(QStringLiteral("Arial"), families.first());
    }
    void TearDown() override
    {
        // Qt paints large areas on its global pool's threads. A pool thread lets go of its
        // Qt data only after the pool has joined it, so one still ending while the process
        // exits looks like a leak to LeakSanitizer: join them now and wait until they are gone.
        QThreadPool::globalInstance()->setExpiryTimeout(0);
        QThreadPool::globalInstance()->waitForDone();
        if (!QTest::qWaitFor([] { return !poolThreadAlive(); }, 60000))
            ADD_FAILURE() << "a thread of Qt's pool did not end";
        delete m_app;
        m_app = nullptr;
    }

private:
    int m_argc = 1;
    char m_name[16] = "quillon-tests";
    char* m_argv[2] = {m_name, nullptr};
    QApplication* m_app = nullptr;
};

[[maybe_unused]] ::testing::Environment* const g_environment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

} // namespace
