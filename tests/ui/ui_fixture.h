#pragma once
// A project document over the shipped file filter with settings in memory and a
// recording prompter, and a timeline view over it with a fixed palette, so that
// pixels can be compared with the colours the view is meant to use.

#include "base/memory_settings_store.h"
#include "base/recording_prompter.h"
#include "model/audio_clip.h"
#include "model/multitracker_doc.h"
#include "model/track.h"
#include "plugins/plugin_host.h"
#include "support/temp_dir.h"
#include "support/test_audio.h"
#include "ui/multitracker_view.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPalette>
#include <QThread>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace quillon::test {

inline const QColor kFace(200, 200, 200);
inline const QColor kShadow(128, 128, 128);
inline const QColor kHighlight(0, 0, 200);
inline const QColor kText(0, 0, 0);

class UiFixture : public ::testing::Test {
protected:
    UiFixture() : peakDir("QUILLON_PEAK_DIR", tmp.path().string())
    {
        const char* dir = std::getenv("QUILLON_SERVER_DIR");
        EXPECT_TRUE(host.addServerLibrary(std::string(dir ? dir : "") + "/filefilter.so"));
        PluginHost::setCurrent(&host);
        settings.writeProfileInt("General", "StartupTracks", 2);
        settings.writeProfileInt("View", "ScaleTrackHeights", 0);
        settings.writeProfileInt("View", "ShowClipText", 0);
        settings.writeProfileInt("General", "AutoTracks", 0);
        doc = std::make_unique<CMultitrackerDoc>(settings, prompter);
        doc->onNewDocument();
    }
    ~UiFixture() override
    {
        view.reset();
        doc.reset();
        PluginHost::setCurrent(nullptr);
    }

    // A view of `width` x `height` client pixels (no scroll bars once the visible range
    // covers the project and the tracks fit).
    CMultitrackerView& makeView(int width = 830, int height = 65 + 2 * 65 + 40)
    {
        view = std::make_unique<CMultitrackerView>(*doc);
        QPalette pal = view->palette();
        pal.setColor(QPalette::Button, kFace);
        pal.setColor(QPalette::Dark, kShadow);
        pal.setColor(QPalette::Highlight, kHighlight);
        pal.setColor(QPalette::ButtonText, kText);
        view->setPalette(pal);
        view->resize(width, height);
        view->show();
        QApplication::processEvents();
        return *view;
    }

    // A stereo float file of `frames` frames, every sample `value`.
    std::string fileOf(int frames, float value = 0.0f)
    {
        const std::string path = tmp.file("f" + std::to_string(frames) + "_" + std::to_string(++m_files) + ".wav");
        EXPECT_TRUE(writeAudio(path, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, 2,
                               std::vector<float>(size_t(frames) * 2, value)));
        return path;
    }

    CAudioClip* place(int track, int start, int frames, uint32_t colour = 0x780000, float value = 0.0f)
    {
        auto clip = std::make_unique<CAudioClip>(&doc->format());
        EXPECT_TRUE(clip->openFile(start, fileOf(frames, value)));
        clip->setColour(colour);
        CAudioClip* raw = doc->addClipToTrack(track, std::move(clip), false);
        waitForPeaks(raw);
        return raw;
    }

    static void waitForPeaks(CAudioClip* clip)
    {
        QElapsedTimer t;
        t.start();
        while (clip && clip->peakProgress() < 100 && t.elapsed() < 10000)
            QThread::msleep(5);
        if (clip && clip->peakProgress() < 100)
            ADD_FAILURE() << "the peaks of a clip were not complete after 10 s";
    }

    TempDir tmp;
    ScopedEnv peakDir;
    PluginHost host;
    MemorySettingsStore settings;
    RecordingPrompter prompter;
    std::unique_ptr<CMultitrackerDoc> doc;
    std::unique_ptr<CMultitrackerView> view;

private:
    int m_files = 0;
};

} // namespace quillon::test
