// Insert Audio File(s) with playlists: the "Insert Playlist" dialog orders the files and
// sets the crossfade, which becomes the overlap of the placed clips.

#include "app/app_fixture.h"
#include "app/main_frame.h"
#include "app/quillon_app.h"
#include "model/audio_clip.h"
#include "model/multitracker_doc.h"
#include "model/track.h"
#include "support/test_audio.h"
#include "ui/insert_playlist_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <fstream>
#include <functional>

namespace quillon::test {
namespace {

// Runs `script` on the next "Insert Playlist" dialog that comes up.
void onNextPlaylistDialog(std::function<void(InsertPlaylistDialog&)> script)
{
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, script] {
        auto* dialog = qobject_cast<InsertPlaylistDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        timer->stop();
        timer->deleteLater();
        script(*dialog);
    });
    timer->start();
}

class InsertPlaylistTest : public AppFixture {
protected:
    InsertPlaylistTest()
    {
        app = std::make_unique<CQuillonApp>(settings, prompter, folder("program"), folder("data"));
        EXPECT_TRUE(app->initInstance({}, false));
    }
    ~InsertPlaylistTest() override { app.reset(); }

    std::string tone(const std::string& name, int64_t frames)
    {
        TestTone t;
        t.frames = frames;
        const std::string path = tmp.file(name);
        EXPECT_TRUE(writeTone(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, t));
        return path;
    }

    static std::vector<std::string> names(const QStringList& files)
    {
        std::vector<std::string> out;
        for (const QString& f : files)
            out.push_back(QFileInfo(f).fileName().toStdString());
        return out;
    }

    std::unique_ptr<CQuillonApp> app;
};

TEST_F(InsertPlaylistTest, UpDownAndRemoveChangeTheOrder)
{
    InsertPlaylistDialog dialog({"/a/one.wav", "/a/two.wav", "/a/three.wav", "/a/four.wav"}, settings);
    QListWidget* list = dialog.fileList();
    EXPECT_FALSE(dialog.upButton()->isEnabled()) << "the first row cannot go up";
    QTest::mouseClick(dialog.downButton(), Qt::LeftButton);
    EXPECT_EQ(names(dialog.files()), (std::vector<std::string>{"two.wav", "one.wav", "three.wav", "four.wav"}));
    list->setCurrentRow(3);
    EXPECT_FALSE(dialog.downButton()->isEnabled()) << "the last row cannot go down";
    QTest::mouseClick(dialog.upButton(), Qt::LeftButton);
    QTest::mouseClick(dialog.upButton(), Qt::LeftButton);
    EXPECT_EQ(names(dialog.files()), (std::vector<std::string>{"two.wav", "four.wav", "one.wav", "three.wav"}));
    EXPECT_EQ(list->currentRow(), 1) << "the moved file stays selected";
    QTest::mouseClick(dialog.removeButton(), Qt::LeftButton);
    EXPECT_EQ(names(dialog.files()), (std::vector<std::string>{"two.wav", "one.wav", "three.wav"}));
    list->setCurrentRow(2);
    QTest::mouseClick(dialog.removeButton(), Qt::LeftButton);
    EXPECT_EQ(names(dialog.files()), (std::vector<std::string>{"two.wav", "one.wav"}));
    EXPECT_EQ(list->currentRow(), 1);
}

TEST_F(InsertPlaylistTest, APlaylistIsExpandedOrderedAndCrossfadedAndTheOptionsAreStored)
{
    const std::string a = tone("a.wav", 44100);
    const std::string b = tone("b.wav", 30000);
    const std::string c = tone("c.wav", 40000);
    const std::string playlist = tmp.file("list.M3U");
    {
        std::ofstream out(playlist);
        out << "#EXTM3U\n" << a << "\nc.wav\n";
    }
    CMultitrackerDoc& doc = *app->document();
    doc.setCursor(1000);
    bool shown = false;
    onNextPlaylistDialog([&](InsertPlaylistDialog& dialog) {
        shown = true;
        EXPECT_EQ(names(dialog.files()), (std::vector<std::string>{"a.wav", "c.wav", "b.wav"}));
        EXPECT_FALSE(dialog.crossfadeBox()->isChecked()) << "off by default";
        EXPECT_DOUBLE_EQ(dialog.timeBox()->value(), 0.4);
        dialog.fileList()->setCurrentRow(2);
        QTest::mouseClick(dialog.upButton(), Qt::LeftButton); // a, b, c
        dialog.crossfadeBox()->setChecked(true);
        dialog.accept();
    });
    EXPECT_TRUE(app->frame()->insertFiles({QString::fromStdString(playlist), QString::fromStdString(b)}).isEmpty());
    ASSERT_TRUE(shown);
    EXPECT_EQ(settings.profileInt("PlaylistImport", "Crossfade", 0), 1);
    EXPECT_EQ(settings.profileInt("PlaylistImport", "CrossfadeTime", 0), 400);

    const std::vector<CAudioClip*>& clips = doc.trackAt(0)->clips();
    ASSERT_EQ(clips.size(), 3u);
    EXPECT_EQ(clips[0]->fileName(), a);
    EXPECT_EQ(clips[1]->fileName(), b);
    EXPECT_EQ(clips[2]->fileName(), c);
    EXPECT_EQ(clips[0]->start(), 1000);
    // 0.4 s at 44 100 Hz.
    EXPECT_EQ(clips[1]->start(), clips[0]->end() - 17640);
    EXPECT_EQ(clips[2]->start(), clips[1]->end() - 17640);

    // The stored options come back, and a new time is stored in milliseconds.
    onNextPlaylistDialog([&](InsertPlaylistDialog& dialog) {
        EXPECT_TRUE(dialog.crossfadeBox()->isChecked());
        dialog.timeBox()->setValue(1.25);
        dialog.crossfadeBox()->setChecked(false);
        dialog.accept();
    });
    doc.setCursor(500000);
    EXPECT_TRUE(app->frame()->insertFiles({QString::fromStdString(a), QString::fromStdString(b)}).isEmpty());
    EXPECT_EQ(settings.profileInt("PlaylistImport", "Crossfade", 1), 0);
    EXPECT_EQ(settings.profileInt("PlaylistImport", "CrossfadeTime", 0), 1250);
    ASSERT_EQ(clips.size(), 5u);
    EXPECT_EQ(clips[4]->start(), clips[3]->end()) << "no overlap without crossfading";
}

TEST_F(InsertPlaylistTest, CancellingInsertPlaylistInsertsNothing)
{
    const std::string a = tone("a.wav", 4410);
    const std::string b = tone("b.wav", 4410);
    onNextPlaylistDialog([](InsertPlaylistDialog& dialog) { dialog.reject(); });
    app->frame()->insertFiles({QString::fromStdString(a), QString::fromStdString(b)});
    EXPECT_TRUE(app->document()->trackAt(0)->clips().empty());
    EXPECT_TRUE(prompter.entries().empty());
}

} // namespace
} // namespace quillon::test
