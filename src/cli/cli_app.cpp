#include "cli/cli_app.h"

#include "base/archive.h"
#include "base/display_text.h"
#include "base/folder_settings.h"
#include "base/settings_store.h"
#include "base/wave_format.h"
#include "cli/cli_options.h"
#include "cli/console_prompter.h"
#include "cli/mix_meter.h"
#include "cli/project_info.h"
#include "engine/audio_exporter.h"
#include "engine/cd_track_export.h"
#include "engine/job_runner.h"
#include "engine/transport.h"
#include "engine/wave_input_device.h"
#include "engine/wave_output_device.h"
#include "model/cd_track_layout.h"
#include "model/disc_codes.h"
#include "model/effect_preset_file.h"
#include "model/label_list.h"
#include "model/multitracker_doc.h"
#include "model/playlist_reader.h"
#include "model/project_file.h"
#include "model/project_label.h"
#include "model/source_relinker.h"
#include "model/track.h"
#include "model/transform_plugin.h"
#include "plugins/effect_catalog.h"
#include "plugins/file_filter.h"
#include "plugins/plugin_host.h"

#include <cctype>
#include <cerrno>
#include <optional>
#include <climits>
#include <cmath>
#include <cstring>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <atomic>
#include <chrono>
#include <csignal>
#include <thread>
#include <unistd.h>

namespace quillon {

namespace {

// A progress bar on standard error for long work. Its line is ended before anything else
// is printed, so that a message never starts where the bar stopped.
class ConsoleJobRunner : public PollingJobRunner {
public:
    explicit ConsoleJobRunner(std::ostream& err) : m_err(err)
    {
        setProgressListener([this](int percent, const std::string&) {
            const int filled = percent / 4;
            m_err << "\r[" << std::string(size_t(filled), '#') << std::string(size_t(25 - filled), ' ') << "] "
                  << percent << "%" << std::flush;
            m_shown = true;
        });
    }
    ~ConsoleJobRunner() override { endLine(); }

    // Ends the line as soon as the job has, before the caller reports on it (a failure
    // goes out through the prompter).
    int runJob(BackgroundJob& job) override
    {
        const int outcome = PollingJobRunner::runJob(job);
        endLine();
        return outcome;
    }

private:
    void endLine()
    {
        if (m_shown)
            m_err << "\n" << std::flush;
        m_shown = false;
    }

    std::ostream& m_err;
    bool m_shown = false;
};

std::atomic<bool> g_interrupted{false};

extern "C" void onInterrupt(int) { g_interrupted.store(true); }

// The chain a command names: --track N, --group N or --master.
struct ChainChoice {
    CMultitrackerDoc::ChainKind kind = CMultitrackerDoc::ChainKind::Master;
    int32_t index = 0;
    std::string text;
};

std::optional<ChainChoice> chainChoice(CliOptions& o, std::string& error)
{
    const int given = int(o.has("track")) + int(o.has("group")) + int(o.has("master"));
    if (given != 1) {
        error = "name exactly one chain: --track N, --group N or --master";
        return std::nullopt;
    }
    ChainChoice c;
    if (o.has("master")) {
        c.text = "the master chain";
        return c;
    }
    const std::string name = o.has("track") ? "track" : "group";
    long long index = 0;
    if (!o.intValue(name, index, 0, INT32_MAX)) {
        error = o.error();
        return std::nullopt;
    }
    c.kind = name == "track" ? CMultitrackerDoc::ChainKind::Track : CMultitrackerDoc::ChainKind::Group;
    c.index = int32_t(index);
    c.text = "the chain of " + name + " " + std::to_string(index);
    return c;
}

// A catalogue entry by its name (any case) or its identity text.
const EffectCatalogEntry* findEffect(const EffectCatalog& catalog, const std::string& wanted)
{
    auto lower = [](std::string t) {
        for (char& ch : t)
            ch = char(std::tolower(static_cast<unsigned char>(ch)));
        return t;
    };
    for (const EffectCatalogEntry& e : catalog.entries())
        if (lower(e.name) == lower(wanted) || identityText(e.identity) == wanted)
            return &e;
    return nullptr;
}

// --normalize and --target of the export commands.
bool loudnessOption(CliOptions& o, LoudnessTarget& target, std::string& error)
{
    const std::string mode = o.value("normalize").value_or("none");
    if (mode == "none")
        target.mode = LoudnessMode::Off;
    else if (mode == "track-loudness")
        target.mode = LoudnessMode::MatchTracks;
    else if (mode == "album-loudness")
        target.mode = LoudnessMode::Album;
    else {
        error = "--normalize takes none, track-loudness or album-loudness, not '" + mode + "'";
        return false;
    }
    if (!o.doubleValue("target", target.targetLufs, -70, 0)) {
        error = o.error();
        return false;
    }
    return true;
}

std::string gainText(float gain)
{
    char text[32];
    std::snprintf(text, sizeof text, "%+.2f dB", 20.0 * std::log10(double(gain)));
    return text;
}

std::string labelsDescription(int32_t kind)
{
    return kind == ProjectLabel::kTrackSplit ? "CD track" : "label";
}

} // namespace

CliApp::CliApp(SettingsStore& settings, std::ostream& out, std::ostream& err)
    : m_settings(settings), m_out(out), m_err(err), m_prompter(std::make_unique<ConsolePrompter>())
{
}

CliApp::~CliApp()
{
    if (EffectCatalog::current() == m_catalog.get())
        EffectCatalog::setCurrent(nullptr);
    if (PluginHost::current() == m_host.get())
        PluginHost::setCurrent(nullptr);
}

std::span<const CliApp::Command> CliApp::commands()
{
    static constexpr Command kCommands[] = {
        {"new", "PROJECT.vpf [--tracks N] [--rate HZ] [--bits N]", "a new project from the stored defaults",
         &CliApp::cmdNew},
        {"add", "PROJECT.vpf FILE... [--track N] [--at SAMPLES] [--crossfade SECONDS]",
         "insert audio files (and playlists) one after another on a track", &CliApp::cmdAdd},
        {"info", "PROJECT.vpf [--json]", "describe the project", &CliApp::cmdInfo},
        {"cd-tracks",
         "PROJECT.vpf [--auto] [--pause SECONDS] [--title N=TEXT]... [--artist N=TEXT]...\n"
         "            [--isrc N=CODE]... [--disc-title TEXT] [--disc-artist TEXT] [--catalog CODE]",
         "CD track splits from the arrangement, the silence between tracks, CD-TEXT, ISRCs and the catalogue "
         "number", &CliApp::cmdCdTracks},
        {"render",
         "PROJECT.vpf OUT [--from SAMPLES] [--to SAMPLES]\n"
         "            [--normalize none|track-loudness|album-loudness] [--target LUFS]",
         "export the mix to one audio file (its type from the extension); prints its peak level",
         &CliApp::cmdRender},
        {"export-tracks", "PROJECT.vpf DIR [--normalize none|track-loudness|album-loudness] [--target LUFS]",
         "export one audio file per CD track into DIR", &CliApp::cmdExportTracks},
        {"devices", "", "the output and input devices with the indices Devices/Output and Input store",
         &CliApp::cmdDevices},
        {"play", "PROJECT.vpf [--from SAMPLES] [--to SAMPLES] [--loop] [--device N]",
         "play through the wave output device; Ctrl-C stops", &CliApp::cmdPlay},
        {"effects", "", "the installed effects with their identities, editors and parameter ranges",
         &CliApp::cmdEffects},
        {"effect",
         "PROJECT.vpf (--track N | --group N | --master)\n"
         "            (--list | --add NAME [--param I=V]... [--preset NAME] | --remove K)",
         "list a chain, append an effect (parameters, a preset) or remove the effect at position K",
         &CliApp::cmdEffect},
        {"preset",
         "EFFECT (--list | --save NAME --from PROJECT.vpf (--track N | --group N | --master) --index K\n"
         "            | --delete NAME)",
         "an effect's presets, in the same files as the effect chain editor's", &CliApp::cmdPreset},
        {"drives", "", "the CD recorders, the Image Recorder included, with their speeds", &CliApp::cmdDrives},
        {"burn",
         "PROJECT.vpf (--image OUT.cue | --drive N) [--speed X] [--simulate] [--no-verify]\n"
         "            [--normalize none|track|global|track-loudness|album-loudness] [--level DB] [--target LUFS]",
         "burn the CD tracks to a disc, or write a disc image (BIN, CUE and TOC), read back and compared unless "
         "--no-verify", &CliApp::cmdBurn},
        {"cover", "PROJECT.vpf OUT.cdc [--pdf OUT.pdf]",
         "the CD track list for a cover designer; --pdf also lays out the cover as a PDF", &CliApp::cmdCover},
        {"relink", "PROJECT.vpf --search DIR",
         "find the project's missing audio files in DIR (by name and size) and save the project with them",
         &CliApp::cmdRelink},
        {"loudness", "PROJECT.vpf [--json]",
         "EBU R128 integrated loudness and true peak of each CD track and of the whole disc", &CliApp::cmdLoudness},
        {"import-cue", "SHEET.cue|RELEASE.flac PROJECT.vpf",
         "a project from a CUE sheet and its audio (or a FLAC file with its sheet inside)", &CliApp::cmdImportCue},
        {"export-cue", "PROJECT.vpf OUT.flac [--embed]",
         "the compilation as one FLAC file with a CUE sheet beside it (or inside it)", &CliApp::cmdExportCue},
    };
    return kCommands;
}

std::string CliApp::helpText()
{
    std::string text = std::string("Varda Quillon ") + QUILLON_VERSION +
                       " - multitrack audio arranger (command-line tool)\n\n"
                       "Usage: quillon-cli COMMAND [ARGUMENTS]\n\n"
                       "Commands:\n";
    for (const Command& c : commands()) {
        text += std::string("  ") + c.name + (*c.synopsis ? " " : "") + c.synopsis + "\n";
        text += std::string("      ") + c.description + "\n";
    }
    return text + "  --help, --version\n";
}

int CliApp::fail(const std::string& message)
{
    // Messages quote paths, names and library texts, any of which may come from a damaged file.
    m_err << "quillon-cli: " << displayText(message) << "\n";
    return 1;
}

int CliApp::usage(const std::string& message)
{
    m_err << "quillon-cli: " << displayText(message) << " (try --help)\n";
    return 2;
}

void CliApp::loadPlugins()
{
    if (m_host)
        return;
    m_host = std::make_unique<PluginHost>();
    m_host->loadServers(m_settings);
    PluginHost::setCurrent(m_host.get());
    std::string peaks;
    if (FolderSettings(m_settings).lookup(kFolderPeakFiles, peaks))
        FileFilter::setDefaultPeakFolder(peaks);
    m_catalog = std::make_unique<EffectCatalog>();
    try {
        m_catalog->build(*m_host);
    } catch (const ClassCom&) {
        m_err << "quillon-cli: warning: the effect catalogue could not be built\n";
    }
    EffectCatalog::setCurrent(m_catalog.get());
}

std::unique_ptr<CMultitrackerDoc> CliApp::newDocument()
{
    loadPlugins();
    return std::make_unique<CMultitrackerDoc>(m_settings, *m_prompter);
}

bool CliApp::load(CMultitrackerDoc& doc, const std::string& path)
{
    std::string error;
    if (!ProjectFile::load(doc, path, error)) {
        fail("'" + path + "': " + error);
        return false;
    }
    return true;
}

bool CliApp::save(CMultitrackerDoc& doc, const std::string& path)
{
    std::string error;
    if (!ProjectFile::save(doc, path, error)) {
        fail(error);
        return false;
    }
    return true;
}

int CliApp::run(const std::vector<std::string>& args)
{
    if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        m_out << helpText();
        return 0;
    }
    if (args[0] == "--version") {
        m_out << QUILLON_VERSION << "\n";
        return 0;
    }
    const std::vector<std::string> words(args.begin() + 1, args.end());
    const std::string& command = args[0];
    try {
        for (const Command& c : commands())
            if (command == c.name)
                return (this->*c.run)(words);
    } catch (const ClassCom& e) {
        return fail(std::string(kClassComMessage) + " (code " + std::to_string(e.code()) + ")");
    } catch (const std::exception& e) {
        return fail(e.what());
    }
    return usage("unknown command '" + displayText(command) + "'");
}

int CliApp::cmdNew(const std::vector<std::string>& words)
{
    CliOptions o;
    if (!o.parse(words, {"tracks", "rate", "bits"}, {}))
        return usage(o.error());
    if (o.positional().size() != 1)
        return usage("new needs exactly one project file");
    long long tracks = -1, rate = 0, bits = 0;
    if (!o.intValue("tracks", tracks, 1, 256) || !o.intValue("rate", rate, 8000, 192000) ||
        !o.intValue("bits", bits, 8, 32))
        return fail(o.error());
    if (bits && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return fail("--bits must be 8, 16, 24 or 32");
    auto doc = newDocument();
    doc->onNewDocument();
    if (tracks > 0) {
        while (doc->trackCount() < tracks)
            doc->insertTrack(doc->trackCount(), std::make_unique<CTrack>(CMultitrackerDoc::kUntitledTrack));
        while (doc->trackCount() > tracks && doc->deleteTrack(doc->trackCount() - 1)) {
        }
    }
    if (rate || bits) {
        const WAVEFORMATEX& f = doc->format();
        doc->setFormat(makePcmFormat(rate ? uint32_t(rate) : f.nSamplesPerSec, 2,
                                     bits ? uint16_t(bits) : f.wBitsPerSample));
    }
    if (!save(*doc, o.positional()[0]))
        return 1;
    m_out << "Created " << displayText(o.positional()[0]) << " with " << doc->trackCount() << " track(s)\n";
    return 0;
}

int CliApp::cmdAdd(const std::vector<std::string>& words)
{
    CliOptions o;
    if (!o.parse(words, {"track", "at", "crossfade"}, {}))
        return usage(o.error());
    if (o.positional().size() < 2)
        return usage("add needs a project file and at least one audio file");
    long long track = -1, at = -1;
    double crossfade = 0;
    if (!o.intValue("track", track, 0, 1 << 20) || !o.intValue("at", at, 0, INT32_MAX) ||
        !o.doubleValue("crossfade", crossfade, 0, 600))
        return fail(o.error());
    const std::string& project = o.positional()[0];
    auto doc = newDocument();
    if (!load(*doc, project))
        return 1;
    if (track >= doc->trackCount())
        return fail("--track " + std::to_string(track) + " is past the last track (" +
                    std::to_string(doc->trackCount() - 1) + ")");
    if (track >= 0)
        doc->setCurrentTrack(int32_t(track));
    if (at >= 0)
        doc->setCursor(int32_t(at));

    std::vector<std::string> given(o.positional().begin() + 1, o.positional().end());
    for (const std::string& name : given)
        if (PlaylistReader::isPlaylist(name) && !PlaylistReader::read(name))
            return fail("cannot read the playlist '" + name + "'");
    const std::vector<std::string> files = PlaylistReader::expand(given);

    // Unreadable files are reported and skipped; the rest go in.
    std::vector<std::string> readable;
    for (const std::string& file : files) {
        FileFilter probe = FileFilter::create(*m_host);
        if (probe.openFile(file))
            readable.push_back(file);
        else
            m_err << "quillon-cli: skipped '" << displayText(file) << "': not a readable audio file\n";
    }
    if (readable.empty())
        return fail("no readable audio file to add; the project is unchanged");
    const int32_t overlap =
        readable.size() > 1 ? static_cast<int32_t>(std::trunc(doc->sampleRate() * crossfade)) : 0;
    const int32_t placed = doc->insertAudioFiles(readable, overlap);
    if (placed <= 0)
        return fail("no file could be added; the project is unchanged");
    if (!save(*doc, project))
        return 1;
    m_out << "Added " << placed << " file(s) to track " << doc->currentTrack() << "\n";
    return 0;
}

int CliApp::cmdInfo(const std::vector<std::string>& words)
{
    CliOptions o;
    if (!o.parse(words, {}, {"json"}))
        return usage(o.error());
    if (o.positional().size() != 1)
        return usage("info needs exactly one project file");
    auto doc = newDocument();
    if (!load(*doc, o.positional()[0]))
        return 1;
    ProjectInfo info(*doc);
    if (o.has("json"))
        info.writeJson(m_out);
    else
        info.writeText(m_out);
    return 0;
}

int CliApp::cmdCdTracks(const std::vector<std::string>& words)
{
    CliOptions o;
    if (!o.parse(words, {"pause", "title", "artist", "isrc", "disc-title", "disc-artist", "catalog"}, {"auto"}))
        return usage(o.error());
    if (o.positional().size() != 1)
        return usage("cd-tracks needs exactly one project file");
    double pause = -1;
    if (!o.doubleValue("pause", pause, 0, 600))
        return fail(o.error());
    auto doc = newDocument();
    if (!load(*doc, o.positional()[0]))
        return 1;
    if (o.has("auto") || doc->autoCdTracks())
        doc->synchroniseCdTracks();
    if (pause >= 0)
        doc->adjustSilence(pause);

    // "N=TEXT" pairs address CD tracks counted from 1.
    const std::vector<ProjectLabel*> splits = CdTrackLayout::splits(doc->labels());
    for (const char* field : {"title", "artist", "isrc"}) {
        for (const std::string& pair : o.values(field)) {
            const auto eq = pair.find('=');
            const std::string number = eq == std::string::npos ? std::string() : pair.substr(0, eq);
            char* end = nullptr;
            const long n = number.empty() ? 0 : std::strtol(number.c_str(), &end, 10);
            if (number.empty() || !end || *end || n < 1)
                return fail(std::string("--") + field + " expects N=TEXT with N counting CD tracks from 1, not '" +
                            pair + "'");
            if (size_t(n) > splits.size())
                return fail("there is no CD track " + std::to_string(n) + " (the project has " +
                            std::to_string(splits.size()) + ")");
            ProjectLabel& split = *splits[size_t(n - 1)];
            const std::string value = pair.substr(eq + 1);
            if (std::string(field) == "isrc") {
                // An empty code removes the track's ISRC.
                split.isrc = DiscCodes::normaliseIsrc(value);
                if (split.isrc.empty() && !value.empty())
                    return fail("'" + value + "' is no ISRC. " + DiscCodes::kIsrcRule);
            } else {
                (std::string(field) == "title" ? split.title : split.artist) = value;
            }
        }
    }
    if (auto catalog = o.value("catalog")) {
        const std::string number = DiscCodes::normaliseCatalogNumber(*catalog);
        if (number.empty() && !catalog->empty())
            return fail("'" + *catalog + "' is no catalogue number. " + DiscCodes::kCatalogRule);
        doc->setCatalogNumber(number);
    }
    if (auto t = o.value("disc-title"))
        doc->setTitle(*t);
    if (auto a = o.value("disc-artist"))
        doc->setArtist(*a);
    if (!save(*doc, o.positional()[0]))
        return 1;
    m_out << splits.size() << " CD track(s)";
    if (!doc->catalogNumber().empty())
        m_out << ", catalogue number " << doc->catalogNumber();
    m_out << "\n";
    const double rate = doc->sampleRate() ? doc->sampleRate() : 44100;
    for (size_t i = 0; i < splits.size(); ++i)
        m_out << "  " << i + 1 << ": " << labelsDescription(splits[i]->kind) << " at " << splits[i]->position << " ("
              << splits[i]->position / rate << " s), pause " << splits[i]->pause << (splits[i]->title.empty() ? "" : ", ")
              << displayText(splits[i]->title) << (splits[i]->isrc.empty() ? "" : ", ISRC " + splits[i]->isrc) << "\n";
    return 0;
}

int CliApp::cmdRender(const std::vector<std::string>& words)
{
    CliOptions o;
    if (!o.parse(words, {"from", "to", "normalize", "target"}, {}))
        return usage(o.error());
    if (o.positional().size() != 2)
        return usage("render needs a project file and an output file");
    LoudnessTarget loudness;
    std::string error;
    if (!loudnessOption(o, loudness, error))
        return usage(error);
    long long from = 0, to = -1;
    if (!o.intValue("from", from, 0, INT32_MAX) || !o.intValue("to", to, 0, INT32_MAX))
        return fail(o.error());
    auto doc = newDocument();
    if (!load(*doc, o.positional()[0]))
        return 1;
    ConsoleJobRunner runner(m_err);
    AudioExporter exporter(*doc, *m_host, runner, *m_prompter);
    exporter.setLoudness(loudness);
    // Measured on the blocks as they go to the file: what was written, not a re-read.
    MixMeter meter;
    exporter.setSinkWrapper([&meter](SampleSink& file) -> SampleSink& {
        meter.setTarget(&file);
        return meter;
    });
    SampleRange range = exporter.projectRange();
    if (o.has("from"))
        range.begin = int32_t(from);
    if (o.has("to"))
        range.end = int32_t(to);
    if (range.end <= range.begin)
        return fail("nothing to render: the range " + std::to_string(range.begin) + "-" + std::to_string(range.end) +
                    " is empty");
    const ExportStatus status = exporter.exportToFile(o.positional()[1], range);
    if (status != ExportStatus::Done)
        return 1;
    m_out << "Rendered " << range.length() << " frames to " << displayText(o.positional()[1]) << "\n";
    if (loudness.mode != LoudnessMode::Off)
        m_out << "Loudness gain: " << gainText(exporter.loudnessPlan().gains().at(0)) << "\n";
    m_out << "Peak: " << MixMeter::decibelText(meter.peak()) << " dBFS\n";
    if (const int64_t clipped = meter.clippedSamples(); clipped > 0)
        m_err << "quillon-cli: warning: " << clipped << " sample(s) at or above full scale were clipped\n";
    return 0;
}

int CliApp::cmdRelink(const std::vector<std::string>& words)
{
    CliOptions o;
    if (!o.parse(words, {"search"}, {}))
        return usage(o.error());
    if (o.positional().size() != 1 || !o.has("search"))
        return usage("relink needs a project file and --search DIR");
    const std::string folder = *o.value("search");
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec))
        return fail("'" + folder + "' is not a folder");
    auto doc = newDocument();
    SourceRelinker relinker(folder);
    {
        SourceRelinker::Scope scope(&relinker);
        if (!load(*doc, o.positional()[0]))
            return 1;
    }
    for (const auto& [from, to] : relinker.relinked())
        m_out << displayText(from) << " -> " << displayText(to) << "\n";
    if (!relinker.missing().empty()) {
        // Saving now would drop the clips of the files still missing.
        for (const std::string& path : relinker.missing())
            m_err << "quillon-cli: not found: " << displayText(path) << "\n";
        return fail("the project was not changed: " + std::to_string(relinker.missing().size()) +
                    " audio file(s) are still missing");
    }
    if (relinker.relinked().empty()) {
        m_out << "No audio file was missing\n";
        return 0;
    }
    if (!save(*doc, o.positional()[0]))
        return 1;
    m_out << "Relinked " << relinker.relinked().size() << " clip(s)\n";
    return 0;
}

int CliApp::cmdExportTracks(const std::vector<std::string>& words)
{
    CliOptions o;
    if (!o.parse(words, {"normalize", "target"}, {}))
        return usage(o.error());
    if (o.positional().size() != 2)
        return usage("export-tracks needs a project file and a folder");
    LoudnessTarget loudness;
    std::string error;
    if (!loudnessOption(o, loudness, error))
        return usage(error);
    const std::string& folder = o.positional()[1];
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec))
        return fail("'" + folder + "' is not a folder");
    auto doc = newDocument();
    if (!load(*doc, o.positional()[0]))
        return 1;
    CdTrackExportList list(doc->labels(), doc->projectEnd());
    list.setBaseDirectory(folder);
    if (list.empty())
        return fail("the project has no CD tracks to export");
    if (auto conflict = list.firstConflict())
        return fail(std::string(CdTrackExportList::kDuplicateText) + " (" + list.entry(*conflict).name + ")");
    ConsoleJobRunner runner(m_err);
    AudioExporter exporter(*doc, *m_host, runner, *m_prompter);
    exporter.setLoudness(loudness);
    const ExportStatus status = exporter.exportCdTracks(list);
    if (status != ExportStatus::Done)
        return 1;
    for (size_t i = 0; i < list.size(); ++i)
        m_out << displayText(list.path(i))
              << (loudness.mode != LoudnessMode::Off ? "  (gain " + gainText(exporter.loudnessPlan().gains().at(i)) + ")"
                                                     : std::string())
              << "\n";
    return 0;
}

} // namespace quillon

namespace quillon {

int CliApp::cmdDevices(const std::vector<std::string>& words)
{
    if (!words.empty())
        return usage("devices takes no arguments");
    m_out << "Output devices (Devices/Output):\n  -1  system default\n";
    const auto outputs = WaveOutputDevice::deviceNames();
    for (size_t i = 0; i < outputs.size(); ++i)
        m_out << "  " << i << "  " << displayText(outputs[i]) << "\n";
    m_out << "Input devices (Devices/Input):\n  -1  system default\n";
    const auto inputs = WaveInputDevice::deviceNames();
    for (size_t i = 0; i < inputs.size(); ++i)
        m_out << "  " << i << "  " << displayText(inputs[i]) << "\n";
    return 0;
}

int CliApp::cmdPlay(const std::vector<std::string>& words)
{
    CliOptions o;
    if (!o.parse(words, {"from", "to", "device"}, {"loop"}))
        return usage(o.error());
    if (o.positional().size() != 1)
        return usage("play needs exactly one project file");
    long long from = 0, to = Transport::kOpenEnd, device = -2;
    if (!o.intValue("from", from, 0, INT32_MAX) || !o.intValue("to", to, 0, INT32_MAX) ||
        !o.intValue("device", device, -1, 1024))
        return fail(o.error());
    auto doc = newDocument();
    if (!load(*doc, o.positional()[0]))
        return 1;
    if (!o.has("to"))
        to = std::max<long long>(doc->projectEnd(), from + 1);
    if (to <= from)
        return fail("nothing to play: the range is empty");
    Transport transport(*doc, m_settings);
    if (device >= -1)
        transport.setDeviceOverride(int(device));
    g_interrupted.store(false);
    auto previous = std::signal(SIGINT, onInterrupt);
    const auto result = transport.play({int32_t(from), int32_t(to)}, nullptr, o.has("loop"));
    if (result != Transport::PlayResult::Started) {
        std::signal(SIGINT, previous);
        return 1;
    }
    const double rate = doc->sampleRate() ? doc->sampleRate() : 44100;
    while (transport.updatePlayPosition()) {
        if (g_interrupted.load()) {
            transport.stopCommand();
            break;
        }
        m_err << "\rplaying " << std::fixed << std::setprecision(1) << doc->cursor() / rate << " s   " << std::flush;
        std::this_thread::sleep_for(std::chrono::milliseconds(Transport::kTimerMilliseconds));
    }
    m_err << "\n";
    std::signal(SIGINT, previous);
    const std::string error = transport.lastError();
    if (!error.empty())
        return fail(error);
    return 0;
}

} // namespace quillon

namespace quillon {

int CliApp::cmdEffects(const std::vector<std::string>& words)
{
    if (!words.empty())
        return usage("effects takes no arguments");
    loadPlugins();
    for (const EffectCatalogEntry& e : m_catalog->entries()) {
        m_out << e.name << " [" << identityText(e.identity) << "]" << (e.hasEditor ? ", own editor" : "") << "\n";
        std::unique_ptr<CTransformPlugin> effect = CTransformPlugin::createFromEntry(e, *m_catalog);
        if (!effect)
            continue;
        for (uint32_t i = 0, n = effect->parameterCount(); i < n; ++i) {
            const EffectParameterInfo info = effect->parameterInfo(i);
            m_out << "  " << i << ": " << info.name << " " << info.minimum << ".." << info.maximum
                  << (info.unit.empty() ? "" : " " + info.unit) << ", default " << info.defaultValue << "\n";
        }
    }
    return 0;
}

int CliApp::cmdEffect(const std::vector<std::string>& words)
{
    CliOptions o;
    if (!o.parse(words, {"track", "group", "add", "param", "preset", "remove"}, {"master", "list"}))
        return usage(o.error());
    if (o.positional().size() != 1)
        return usage("effect needs exactly one project file");
    std::string error;
    const std::optional<ChainChoice> choice = chainChoice(o, error);
    if (!choice)
        return usage(error);
    if (int(o.has("list")) + int(o.has("add")) + int(o.has("remove")) != 1)
        return usage("effect needs one of --list, --add NAME and --remove K");
    const std::string& project = o.positional()[0];
    auto doc = newDocument();
    if (!load(*doc, project))
        return 1;
    EffectChain* chain = doc->effectChain(choice->kind, choice->index);
    if (!chain)
        return fail("the project has no " + choice->text.substr(std::string("the chain of ").size()));

    if (o.has("list")) {
        m_out << choice->text << ": " << chain->size() << " effect(s)\n";
        for (size_t k = 0; k < chain->size(); ++k) {
            const CTransformPlugin* effect = chain->at(k);
            m_out << "  " << k << ": " << displayText(effect->name()) << " [" << effect->identityText() << "]"
                  << (effect->isBypassed() ? " (bypassed)" : "") << "\n";
            for (uint32_t i = 0, n = effect->parameterCount(); i < n; ++i)
                m_out << "     " << i << " " << effect->parameterInfo(i).name << " = " << effect->parameter(i) << "\n";
        }
        return 0;
    }
    if (o.has("remove")) {
        long long position = 0;
        if (!o.intValue("remove", position, 0, INT32_MAX))
            return fail(o.error());
        if (size_t(position) >= chain->size())
            return fail(choice->text + " has no effect at position " + std::to_string(position));
        const std::string name = chain->at(size_t(position))->name();
        doc->removeEffect(choice->kind, choice->index, int32_t(position));
        if (!save(*doc, project))
            return 1;
        m_out << "Removed " << displayText(name) << " from " << choice->text << "\n";
        return 0;
    }

    const std::string wanted = *o.value("add");
    const EffectCatalogEntry* entry = findEffect(*m_catalog, wanted);
    if (!entry)
        return fail("no installed effect is called '" + wanted + "' (see quillon-cli effects)");
    std::unique_ptr<CTransformPlugin> effect = CTransformPlugin::createFromEntry(*entry, *m_catalog);
    if (!effect)
        return fail("the effect '" + wanted + "' could not be created");
    if (const auto preset = o.value("preset")) {
        EffectPresetFile file;
        const std::string path = EffectPresetFile::pathFor(EffectPresetFile::presetFolder(m_settings),
                                                           effect->identityText());
        if (!file.read(path))
            return fail("the preset file '" + path + "' is damaged");
        const EffectPreset* found = file.find(*preset);
        if (!found)
            return fail("'" + effect->name() + "' has no preset called '" + *preset + "'");
        effect->loadState(found->state);
    }
    const uint32_t count = effect->parameterCount();
    for (const std::string& pair : o.values("param")) {
        const size_t eq = pair.find('=');
        char* end = nullptr;
        const unsigned long index = eq == std::string::npos ? 0 : std::strtoul(pair.c_str(), &end, 10);
        if (eq == std::string::npos || end != pair.c_str() + eq || index >= count)
            return fail("--param '" + pair + "': give I=V with I below " + std::to_string(count));
        const std::string valueText = pair.substr(eq + 1);
        const double value = std::strtod(valueText.c_str(), &end);
        if (valueText.empty() || *end != '\0' || !std::isfinite(value))
            return fail("--param '" + pair + "': the value is not a number");
        const EffectParameterInfo info = effect->parameterInfo(uint32_t(index));
        if (value < info.minimum || value > info.maximum)
            return fail("--param '" + pair + "': " + info.name + " takes " + std::to_string(info.minimum) + ".." +
                        std::to_string(info.maximum));
        effect->setParameter(uint32_t(index), float(value));
    }
    const std::string name = effect->name();
    if (!doc->addEffect(choice->kind, choice->index, std::move(effect)))
        return fail("the effect could not be added to " + choice->text);
    if (!save(*doc, project))
        return 1;
    m_out << "Added " << displayText(name) << " to " << choice->text << " (position " << chain->size() - 1 << ")\n";
    return 0;
}

int CliApp::cmdPreset(const std::vector<std::string>& words)
{
    CliOptions o;
    if (!o.parse(words, {"save", "from", "track", "group", "index", "delete"}, {"master", "list"}))
        return usage(o.error());
    if (o.positional().size() != 1)
        return usage("preset needs exactly one effect name");
    if (int(o.has("list")) + int(o.has("save")) + int(o.has("delete")) != 1)
        return usage("preset needs one of --list, --save NAME and --delete NAME");
    loadPlugins();
    const EffectCatalogEntry* entry = findEffect(*m_catalog, o.positional()[0]);
    if (!entry)
        return fail("no installed effect is called '" + o.positional()[0] + "' (see quillon-cli effects)");
    const std::string path =
        EffectPresetFile::pathFor(EffectPresetFile::presetFolder(m_settings), identityText(entry->identity));
    EffectPresetFile file;
    if (!file.read(path))
        return fail("the preset file '" + path + "' is damaged; it is left as it is");

    if (o.has("list")) {
        m_out << file.presets().size() << " preset(s) of " << entry->name << "\n";
        for (const EffectPreset& p : file.presets())
            m_out << "  " << displayText(p.name) << "\n";
        return 0;
    }
    if (o.has("delete")) {
        const std::string name = *o.value("delete");
        if (!file.remove(name))
            return fail(entry->name + " has no preset called '" + name + "'");
        if (!file.write(path, file.lastState()))
            return fail("cannot write '" + path + "'; the presets are unchanged");
        m_out << "Deleted the preset '" << displayText(name) << "' of " << entry->name << "\n";
        return 0;
    }

    std::string name = *o.value("save");
    if (name.empty() || name.size() > EffectPresetFile::kMaxName)
        return fail("a preset name has 1 to " + std::to_string(EffectPresetFile::kMaxName) + " characters");
    if (!o.has("from") || !o.has("index"))
        return usage("--save needs --from PROJECT.vpf, a chain and --index K");
    std::string error;
    const std::optional<ChainChoice> choice = chainChoice(o, error);
    if (!choice)
        return usage(error);
    long long index = 0;
    if (!o.intValue("index", index, 0, INT32_MAX))
        return fail(o.error());
    auto doc = newDocument();
    if (!load(*doc, *o.value("from")))
        return 1;
    EffectChain* chain = doc->effectChain(choice->kind, choice->index);
    if (!chain || size_t(index) >= chain->size())
        return fail(choice->text + " has no effect at position " + std::to_string(index));
    const CTransformPlugin* effect = chain->at(size_t(index));
    if (effect->identityText() != identityText(entry->identity))
        return fail("the effect at position " + std::to_string(index) + " is " + effect->name() + ", not " +
                    entry->name);
    const std::vector<uint8_t> state = effect->saveState();
    file.put(name, state);
    if (!file.write(path, state))
        return fail("cannot write '" + path + "'; the presets are unchanged");
    m_out << "Saved the preset '" << displayText(name) << "' of " << entry->name << "\n";
    return 0;
}

} // namespace quillon
