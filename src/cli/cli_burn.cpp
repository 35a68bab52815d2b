// quillon-cli's disc commands: the drive table and burning a project to a drive or to a
// disc image, through the same library and workflow as the desktop program.
#include "base/display_text.h"
#include "base/prompter.h"
#include "cd/burn_request_handler.h"
#include "cd/burner_library.h"
#include "cd/cd_burn_workflow.h"
#include "cd/drive_list.h"
#include "cli/cli_app.h"
#include "cli/cli_options.h"
#include "model/cd_track_layout.h"
#include "model/label_list.h"
#include "model/multitracker_doc.h"
#include <cmath>
#include <filesystem>
#include <ostream>

namespace quillon {

namespace {

// Messages go to the command's error stream; questions get the cautious answer.
class StreamPrompter : public Prompter {
public:
    using Prompter::askOkCancel;
    using Prompter::askYesNo;
    using Prompter::showMessage;
    explicit StreamPrompter(std::ostream& err) : m_err(err) {}
    void showMessage(const std::string& text, PromptIcon icon) override
    {
        m_err << "quillon-cli: " << (icon == PromptIcon::Error ? "" : icon == PromptIcon::Warning ? "warning: " : "")
              << displayText(text) << "\n";
    }
    bool askOkCancel(const std::string& text) override
    {
        m_err << "quillon-cli: " << displayText(text) << " (OK)\n";
        return true;
    }
    bool askYesNo(const std::string& text) override
    {
        m_err << "quillon-cli: " << displayText(text) << " (No)\n";
        return false;
    }

private:
    std::ostream& m_err;
};

class ConsoleBurnObserver : public CdBurnObserver {
public:
    explicit ConsoleBurnObserver(std::ostream& err) : m_err(err) {}
    ~ConsoleBurnObserver() override
    {
        if (m_open)
            m_err << "\n";
    }
    void currentTrack(const std::string& text) override { m_track = text; }
    void preparation(int percent) override { show("Preparing audio data", percent); }
    void writing(int percent) override { show("Writing to CD", percent); }

private:
    void show(const char* what, int percent)
    {
        percent = std::clamp(percent, 0, 100);
        if (percent == m_percent && what == m_what)
            return;
        m_percent = percent;
        m_what = what;
        const int filled = percent / 5;
        m_err << "\r" << what << " [" << std::string(size_t(filled), '#') << std::string(size_t(20 - filled), ' ')
              << "] " << percent << "%" << (m_track.empty() || what != std::string("Preparing audio data") ? "" : "  track " + m_track)
              << "   " << std::flush;
        m_open = true;
    }
    std::ostream& m_err;
    std::string m_track;
    const char* m_what = nullptr;
    int m_percent = -1;
    bool m_open = false;
};

} // namespace

int CliApp::cmdDrives(const std::vector<std::string>& words)
{
    if (!words.empty())
        return usage("drives takes no arguments");
    BurnerLibrary library;
    if (!library.load(m_settings) || library.init(nullptr) != 0)
        return fail(std::string(BurnerLibrary::kAccessError) + " (" + library.path() + ")");
    VardaDriveTable* table = library.availableDrives();
    const auto drives = DriveList::offered(table, library.apiVersion());
    if (drives.empty()) {
        library.freeMemory(table);
        library.done();
        return fail(DriveList::kNoRecordersText);
    }
    m_out << "Recorders (burn --drive N):\n";
    for (size_t i = 0; i < drives.size(); ++i) {
        m_out << "  " << i << "  " << displayText(drives[i].name);
        if (!drives[i].image)
            m_out << " (" << displayText(drives[i].address) << ")";
        m_out << "\n";
        for (const PromptText& line : DriveList::speedLines(drives[i]))
            m_out << "       " << line.english() << "\n";
    }
    library.freeMemory(table);
    library.done();
    return 0;
}

int CliApp::cmdBurn(const std::vector<std::string>& words)
{
    CliOptions o;
    if (!o.parse(words, {"image", "drive", "speed", "normalize", "level", "target"}, {"simulate", "no-verify"}))
        return usage(o.error());
    if (o.positional().size() != 1)
        return usage("burn needs exactly one project file");
    if (o.has("image") == o.has("drive"))
        return usage("burn needs either --image OUT.cue or --drive N");
    long long driveIndex = 0, speed = 0;
    double level = 0, target = LoudnessTarget::kDefaultTargetLufs;
    if (!o.intValue("drive", driveIndex, 0, 1000) || !o.intValue("speed", speed, 0, 1000) ||
        !o.doubleValue("level", level, -40, 12) || !o.doubleValue("target", target, -70, 0))
        return fail(o.error());
    CdBurnOptions options;
    options.targetLufs = target;
    options.simulate = o.has("simulate");
    options.verify = !o.has("no-verify");
    options.level = float(std::pow(10.0, level * 0.05));
    options.speed = int32_t(speed);
    const std::string mode = o.value("normalize").value_or("none");
    if (mode == "none")
        options.normalize = NormalizeMode::None;
    else if (mode == "track")
        options.normalize = NormalizeMode::PerTrack;
    else if (mode == "global")
        options.normalize = NormalizeMode::Global;
    else if (mode == "track-loudness")
        options.normalize = NormalizeMode::TrackLoudness;
    else if (mode == "album-loudness")
        options.normalize = NormalizeMode::AlbumLoudness;
    else
        return usage("--normalize takes none, track, global, track-loudness or album-loudness, not '" + mode + "'");
    std::string image;
    if (auto path = o.value("image")) {
        std::error_code ec;
        image = std::filesystem::absolute(*path, ec).string();
    }

    auto doc = newDocument();
    if (!load(*doc, o.positional()[0]))
        return 1;
    // The CD tracks the program would show.
    if (doc->autoCdTracks())
        doc->synchroniseCdTracks();

    StreamPrompter prompter(m_err);
    BurnerLibrary library;
    BurnRequestHandler handler(prompter);
    handler.setImagePathChooser([&image]() -> std::optional<std::string> {
        if (image.empty())
            return std::nullopt;
        return image;
    });
    const VardaBurnSettings settings = handler.settings();
    if (!library.load(m_settings) || library.init(&settings) != 0)
        return fail(std::string(BurnerLibrary::kAccessError) + " (" + library.path() + ")");
    VardaDriveTable* table = library.availableDrives();
    const auto drives = DriveList::offered(table, library.apiVersion());
    struct Closer {
        BurnerLibrary& lib;
        VardaDriveTable* table;
        ~Closer()
        {
            lib.freeMemory(table);
            lib.done();
        }
    } closer{library, table};
    const OfferedDrive* drive = nullptr;
    if (!image.empty()) {
        for (const OfferedDrive& d : drives)
            if (d.image)
                drive = &d;
        if (!drive)
            return fail("the disc-burning library offers no image recorder");
    } else {
        if (driveIndex >= (long long)drives.size())
            return fail(drives.empty() ? std::string(DriveList::kNoRecordersText)
                                       : "there is no drive " + std::to_string(driveIndex) + " (see quillon-cli drives)");
        drive = &drives[size_t(driveIndex)];
    }
    options.drive = drive->entry;
    options.requests = &handler;

    CLabelList labels;
    labels.copyFrom(doc->labels());
    CdBurnWorkflow workflow(*doc, *m_host, library, prompter);
    CdBurnWorkflow::Result result;
    {
        ConsoleBurnObserver observer(m_err);
        result = workflow.burn(labels, options, observer);
    }
    if (result == CdBurnWorkflow::Result::Cancelled) {
        m_err << "quillon-cli: cancelled; nothing was burned\n";
        return 1;
    }
    if (result != CdBurnWorkflow::Result::Burned)
        return 1; // the workflow has shown why
    if (!image.empty())
        m_out << "Image written and verified: " << displayText(image) << "\n";
    else
        m_out << "Burned on " << displayText(drive->name) << (options.simulate ? " (simulated first)" : "") << "\n";
    return 0;
}

} // namespace quillon

#include "cd/cover_hand_off.h"

namespace quillon {

int CliApp::cmdCover(const std::vector<std::string>& words)
{
    CliOptions o;
    if (!o.parse(words, {"pdf"}, {}))
        return usage(o.error());
    if (o.positional().size() != 2)
        return usage("cover needs a project file and an output file");
    auto doc = newDocument();
    if (!load(*doc, o.positional()[0]))
        return 1;
    if (doc->autoCdTracks())
        doc->synchroniseCdTracks();
    const std::string text =
        CoverHandOff::content(doc->title(), doc->artist(), doc->labels(), doc->projectEnd(), doc->sampleRate());
    if (!CoverHandOff::write(o.positional()[1], text))
        return fail("cannot write " + o.positional()[1]);
    m_out << "Cover data written: " << displayText(o.positional()[1]) << "\n";
    // The layout is our cover designer's; it runs as a program of its own, so this tool
    // stays without windows.
    if (auto pdf = o.value("pdf")) {
        std::string error;
        if (!CoverHandOff::writePdf(o.positional()[1], *pdf, error))
            return fail("the cover could not be written to " + *pdf + ": " + error);
        m_out << "Cover written: " << displayText(*pdf) << "\n";
    }
    return 0;
}

} // namespace quillon

#include "cd/cue_export.h"
#include "cd/cue_import.h"
#include "engine/job_runner.h"

namespace quillon {

int CliApp::cmdImportCue(const std::vector<std::string>& words)
{
    CliOptions o;
    if (!o.parse(words, {}, {}))
        return usage(o.error());
    if (o.positional().size() != 2)
        return usage("import-cue needs a CUE sheet (or a FLAC file) and a project file");
    auto doc = newDocument();
    std::string error;
    if (!CueImport::import(*doc, o.positional()[0], error))
        return fail(error);
    if (!save(*doc, o.positional()[1]))
        return 1;
    const std::vector<ProjectLabel*> splits = CdTrackLayout::splits(doc->labels());
    m_out << "Imported " << splits.size() << " CD track(s) into " << displayText(o.positional()[1]) << "\n";
    return 0;
}

int CliApp::cmdExportCue(const std::vector<std::string>& words)
{
    CliOptions o;
    if (!o.parse(words, {}, {"embed"}))
        return usage(o.error());
    if (o.positional().size() != 2)
        return usage("export-cue needs a project file and a FLAC file");
    auto doc = newDocument();
    if (!load(*doc, o.positional()[0]))
        return 1;
    if (doc->autoCdTracks())
        doc->synchroniseCdTracks();
    PollingJobRunner runner;
    StreamPrompter prompter(m_err);
    std::string error;
    if (!CueExport::exportFlac(*doc, *m_host, runner, prompter, o.positional()[1], o.has("embed"), error))
        return fail(error);
    m_out << "Written: " << displayText(o.positional()[1]);
    if (!o.has("embed"))
        m_out << " and " << displayText(CueExport::cuePath(o.positional()[1]));
    m_out << "\n";
    return 0;
}

} // namespace quillon

#include "cd/cd_disc_plan.h"
#include "cd/disc_loudness.h"
#include <cstdio>

namespace quillon {

namespace {

std::string loudnessNumber(double value, const char* format)
{
    if (!std::isfinite(value))
        return "";
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string loudnessJson(const LoudnessReading& r)
{
    const std::string lufs = loudnessNumber(r.integratedLufs, "%.2f");
    const std::string peak = loudnessNumber(r.truePeakDbtp, "%.2f");
    return "{\"integrated_lufs\": " + (lufs.empty() ? "null" : lufs) +
           ", \"true_peak_dbtp\": " + (peak.empty() ? "null" : peak) + "}";
}

std::string loudnessLine(const LoudnessReading& r)
{
    const std::string lufs = loudnessNumber(r.integratedLufs, "%.1f");
    const std::string peak = loudnessNumber(r.truePeakDbtp, "%.1f");
    return (lufs.empty() ? std::string("silent") : lufs + " LUFS") + ", true peak " +
           (peak.empty() ? std::string("-inf") : peak) + " dBTP";
}

} // namespace

int CliApp::cmdLoudness(const std::vector<std::string>& words)
{
    CliOptions o;
    if (!o.parse(words, {}, {"json"}))
        return usage(o.error());
    if (o.positional().size() != 1)
        return usage("loudness needs exactly one project file");
    auto doc = newDocument();
    if (!load(*doc, o.positional()[0]))
        return 1;
    if (doc->autoCdTracks())
        doc->synchroniseCdTracks();
    if (doc->format().nChannels != 2)
        return fail(CdBurnWorkflow::kChannelsText);
    CLabelList labels;
    labels.copyFrom(doc->labels());
    const CdDiscPlan plan(labels, doc->projectEnd(), int32_t(doc->sampleRate()));
    if (!plan.refusal().empty())
        return fail(plan.refusal().english());
    DiscLoudness loudness;
    DiscLoudness::Result result;
    {
        ConsoleBurnObserver observer(m_err);
        result = loudness.measure(*doc, plan, observer);
    }
    if (result != DiscLoudness::Result::Measured)
        return fail(result == DiscLoudness::Result::Cancelled ? "cancelled" : loudness.error().english());
    const auto& tracks = loudness.tracks();
    if (o.has("json")) {
        m_out << "{\n  \"album\": " << loudnessJson(loudness.album()) << ",\n  \"tracks\": [";
        for (size_t i = 0; i < tracks.size(); ++i)
            m_out << (i ? "," : "") << "\n    " << loudnessJson(tracks[i]);
        m_out << "\n  ]\n}\n";
        return 0;
    }
    for (size_t i = 0; i < tracks.size(); ++i) {
        const std::string& title = plan.tracks()[i].title;
        m_out << "CD track " << (i + 1) << (title.empty() ? "" : " (" + displayText(title) + ")") << ": "
              << loudnessLine(tracks[i]) << "\n";
    }
    m_out << "Disc: " << loudnessLine(loudness.album()) << "\n";
    return 0;
}

} // namespace quillon
