// The filter's two dialogs: choosing the export destination (100) and the manager's save
// options (105). Without a Qt application they answer as a cancelled dialog; inside one
// they are driven the way a user would.

#include "filter_fixture.h"
#include "signal_helpers.h"

#include "plugins/file_filter_manager.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QSpinBox>
#include <QTimer>

#include <filesystem>

using namespace quillon;
using namespace quillon::test;

namespace {

WAVEFORMATEX cdFormat()
{
    WAVEFORMATEX f = outputFormat(44100, 2);
    f.wBitsPerSample = 16;
    f.nBlockAlign = 4;
    f.nAvgBytesPerSec = 44100 * 4;
    return f;
}

// Runs `act` on the modal dialog as soon as one is up.
void whenDialogShows(const std::function<void(QWidget*)>& act)
{
    auto* timer = new QTimer(QCoreApplication::instance()); // goes with the application at the latest
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            act(dialog);
        }
    });
    timer->start();
}

// Without a display the dialogs run offscreen, whoever starts the test.
bool offscreenUnlessSet()
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return true;
}

class WithApplication : public ::testing::Test {
protected:
    bool m_platform = offscreenUnlessSet();
    int m_argc = 1;
    char m_name[16] = "filefilter-test";
    char* m_argv[2] = {m_name, nullptr};
    QApplication m_app{m_argc, m_argv};
};

} // namespace

TEST(FileFilterDialogs, WithoutAUserInterfaceNothingIsChosen)
{
    ASSERT_EQ(QCoreApplication::instance(), nullptr);
    TestSettings settings;
    FileFilter filter = makeFilter();
    const WAVEFORMATEX format = cdFormat();
    EXPECT_FALSE(filter.chooseDestination(format, 2));
    // Nothing is open for writing.
    const float block[4] = {};
    EXPECT_EQ(classComCode([&] { filter.write(block, 2); }), QUILLON_E_FAIL);

    FileFilterManager manager = FileFilterManager::create(filterHost());
    EXPECT_FALSE(manager.configureSaveOptions());
    EXPECT_EQ(settings.getInt("SaveOptions", "FlacCompressionLevel", -1), -1);
}

TEST_F(WithApplication, SaveDialogOpensTheChosenFileInTheChosenFormat)
{
    TestSettings settings;
    TempDir tmp;
    FileFilter filter = makeFilter();
    const std::vector<std::string> names = filter.exportFormatNames();
    std::string preselected;
    whenDialogShows([&](QWidget* widget) {
        auto* dialog = qobject_cast<QFileDialog*>(widget);
        if (!dialog) {
            ADD_FAILURE() << "not a file dialog";
            widget->close();
            return;
        }
        preselected = dialog->selectedNameFilter().toStdString();
        dialog->selectNameFilter(QString::fromStdString(names[2]));
        dialog->selectFile(QString::fromStdString(tmp.file("mix")));
        static_cast<QDialog*>(dialog)->accept(); // the file dialog checks the name first
    });
    ASSERT_TRUE(filter.chooseDestination(cdFormat(), 1));
    EXPECT_EQ(preselected, names[1]); // DefExportFormat
    const std::vector<float> tone = sineFrames(440.0, 0.5, 44100, 2, 4410);
    filter.write(tone.data(), 4410);
    filter = FileFilter(); // released: finished

    // The name got the extension of the format picked in the list.
    EXPECT_EQ(names[2].find("FLAC"), 0u);
    SF_INFO info{};
    readAudio(tmp.file("mix.flac"), &info);
    EXPECT_EQ(info.format & SF_FORMAT_TYPEMASK, SF_FORMAT_FLAC);
    EXPECT_EQ(info.frames, 4410);

    // Cancelling writes nothing.
    FileFilter cancelled = makeFilter();
    whenDialogShows([](QWidget* dialog) { qobject_cast<QDialog*>(dialog)->reject(); });
    EXPECT_FALSE(cancelled.chooseDestination(cdFormat(), 0));
}

TEST_F(WithApplication, SaveOptionsDialogStoresWhatTheUserAccepts)
{
    TestSettings settings;
    settings.setInt("SaveOptions", "Mp3BitRate", 128);
    FileFilterManager manager = FileFilterManager::create(filterHost());
    int shownBitRate = 0;
    whenDialogShows([&](QWidget* dialog) {
        auto* mp3 = dialog->findChild<QComboBox*>("mp3BitRate");
        auto* flac = dialog->findChild<QSpinBox*>("flacLevel");
        auto* vorbis = dialog->findChild<QSpinBox*>("vorbisQuality");
        auto* wav = dialog->findChild<QComboBox*>("wavSampleType");
        if (!mp3 || !flac || !vorbis || !wav) {
            ADD_FAILURE() << "a control is missing";
            qobject_cast<QDialog*>(dialog)->reject();
            return;
        }
        shownBitRate = mp3->currentData().toInt();
        mp3->setCurrentIndex(mp3->findData(320));
        flac->setValue(8);
        vorbis->setValue(90);
        wav->setCurrentIndex(2); // 24-bit
        qobject_cast<QDialog*>(dialog)->accept();
    });
    EXPECT_TRUE(manager.configureSaveOptions());
    EXPECT_EQ(shownBitRate, 128); // the dialog starts from the stored options
    EXPECT_EQ(settings.getInt("SaveOptions", "Mp3BitRate", 0), 320);
    EXPECT_EQ(settings.getInt("SaveOptions", "FlacCompressionLevel", 0), 8);
    EXPECT_EQ(settings.getInt("SaveOptions", "VorbisQuality", 0), 90);
    EXPECT_EQ(settings.getInt("SaveOptions", "WavSampleType", 0), 2);

    // Cancel keeps them.
    whenDialogShows([](QWidget* dialog) {
        dialog->findChild<QSpinBox*>("flacLevel")->setValue(1);
        qobject_cast<QDialog*>(dialog)->reject();
    });
    EXPECT_FALSE(manager.configureSaveOptions());
    EXPECT_EQ(settings.getInt("SaveOptions", "FlacCompressionLevel", 0), 8);
}

// The dialogs come from a helper module beside the filter's library; a filter installed
// without it says so instead of answering as a cancelled dialog.
TEST_F(WithApplication, MissingDialogModuleIsAFailureNotACancel)
{
    TestSettings settings;
    TempDir tmp;
    const std::string lonely = tmp.file("filefilter.so");
    std::filesystem::copy_file(std::string(std::getenv("QUILLON_SERVER_DIR")) + "/filefilter.so", lonely);
    PluginHost host;
    ASSERT_TRUE(host.addServerLibrary(lonely));
    FileFilter filter = FileFilter::create(host);
    bool shown = false;
    whenDialogShows([&](QWidget* dialog) {
        shown = true;
        dialog->close();
    });
    EXPECT_EQ(classComCode([&] { filter.chooseDestination(cdFormat(), 0); }), QUILLON_E_FAIL);
    FileFilterManager manager = FileFilterManager::create(host);
    EXPECT_EQ(classComCode([&] { manager.configureSaveOptions(); }), QUILLON_E_FAIL);
    QCoreApplication::processEvents();
    EXPECT_FALSE(shown);
}
