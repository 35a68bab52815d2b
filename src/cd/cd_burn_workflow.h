#pragma once
// "Burn to CD" without the windows: plan the CD tracks, keep the Audio CD rules, render
// each track into its own 16-bit stereo 44 100 Hz file in the Temporary folder, and hand
// the list with pauses, indexes and CD-TEXT to the disc-burning library. The recorder
// dialog and the command-line tool both run it; what they show comes through the
// observer, and what they ask through the Prompter and the library's request handler.
//
// Anything that fails stops the burn with a message before the library is called:
// nothing is burned from a track file that did not open, a render that failed or threw,
// or a file left from an earlier burn.
//
// Threads: burn() runs on the owner's thread; each render runs as a job on a worker
// thread while the owner polls it, and the observer is called on the owner's thread.
#include "engine/loudness_plan.h"
#include <quillon/varda_api.h>
#include <cstdint>
#include <string>
#include <vector>

namespace quillon {

class BurnerLibrary;
class CLabelList;
class CMultitrackerDoc;
class PluginHost;
class Prompter;
class SampleRange;

// Peak normalisation (each track, or the whole disc, to `level`), or EBU R128 loudness
// (each track to `targetLufs`, or one gain for the disc), never past -1 dBTP.
enum class NormalizeMode : int32_t { None = 0, PerTrack = 1, Global = 2, TrackLoudness = 3, AlbumLoudness = 4 };

struct CdBurnOptions {
    const VardaDriveEntry* drive = nullptr;
    int32_t speed = 0; // the chosen speed multiple; 0 for the drive's own
    bool simulate = false;
    bool testSpeed = false;
    NormalizeMode normalize = NormalizeMode::None;
    float level = 1.0f; // the linear factor the peak is brought to
    double targetLufs = -14.0; // the loudness modes' target
    // Where the image path was answered: an image is read back from the sheet it names.
    const class BurnRequestHandler* requests = nullptr;
    // Read the disc (or image) back and compare it with the track files.
    bool verify = true;
};

class CdBurnObserver {
public:
    virtual ~CdBurnObserver() = default;
    virtual void currentTrack(const std::string&) {}
    virtual void preparation(int) {}
    virtual void writing(int) {}
    virtual void phase(const std::string&) {}
    // The cancel flag: read between tracks, while rendering and by the library.
    virtual bool cancelled() { return false; }
};

class CdBurnWorkflow {
public:
    static constexpr const char* kNoDeviceText = "VardaAPI was not able to open the selected CD device.";
    static constexpr const char* kChannelsText = "Only projects with two channels can be burned.";
    static constexpr uint32_t kBaseFlags = VARDA_BURN_DEFAULT_FLAGS;
    enum class Result { Burned, Cancelled, Failed };

    CdBurnWorkflow(CMultitrackerDoc& doc, PluginHost& host, BurnerLibrary& library, Prompter& prompter);

    // Burns the CD tracks `labels` give (the dialog's own copy of the project's labels).
    Result burn(CLabelList& labels, const CdBurnOptions& options, CdBurnObserver& observer);

    // The file a track (counted from 1) is rendered into.
    std::string trackPath(int number) const;
    // The device open while burn() runs (the request handler erases with it); null
    // otherwise.
    void* device() const { return m_device; }
    // The message of the last failure.
    std::string lastError() const { return m_lastError.english(); }
    // The gain each track was rendered with, in the last burn.
    const std::vector<float>& trackGains() const { return m_gains; }
    // The loudness modes' readings and plan, in the last burn.
    const std::vector<LoudnessReading>& trackLoudness() const { return m_loudness; }
    const LoudnessPlan& loudnessPlan() const { return m_plan; }
    // The largest sample of the mix over the range, every frame counted, rendered with
    // every track audible and the master as it stands; -1 when the render failed.
    float measurePeak(const SampleRange& range, CdBurnObserver& observer);

private:
    Result fail(const PromptText& text);
    // A whole text (or an exception's own), shown as it stands unless a pack knows it.
    Result fail(const std::string& text) { return fail(PromptText(text)); }
    // Renders one track's range into its file; false after the message (or when
    // cancelled, with m_cancelled set).
    bool renderTrack(int number, const struct CdPlanTrack& track, float gain, int64_t totalLength,
                     CdBurnObserver& observer);

    CMultitrackerDoc& m_doc;
    PluginHost& m_host;
    BurnerLibrary& m_library;
    Prompter& m_prompter;
    std::string m_folder;
    PromptText m_lastError;
    std::vector<float> m_gains;
    std::vector<LoudnessReading> m_loudness;
    LoudnessPlan m_plan;
    bool m_cancelled = false;
    void* m_device = nullptr;
};

} // namespace quillon
