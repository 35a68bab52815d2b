#include "app/demo_project.h"

#include "model/audio_clip.h"
#include "model/crossfade.h"
#include "model/curve.h"
#include "model/multitracker_doc.h"
#include "model/project_file.h"
#include "model/project_label.h"
#include "model/track.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <sndfile.h>

#include <cmath>
#include <memory>
#include <random>

namespace quillon {

namespace {

constexpr double kTwoPi = 6.283185307179586;

double midiHz(int note) { return 440.0 * std::pow(2.0, (note - 69) / 12.0); }

// A soft attack and a release so that no note clicks.
double envelope(double t, double length, double attack, double release)
{
    if (t < 0 || t > length)
        return 0.0;
    double e = 1.0;
    if (t < attack)
        e = t / attack;
    if (t > length - release)
        e = std::min(e, (length - t) / release);
    return e;
}

struct Buffer {
    explicit Buffer(double seconds) : frames(size_t(seconds * DemoProject::kRate)), data(frames * 2, 0.0f) {}
    void add(size_t frame, double left, double right)
    {
        if (frame >= frames)
            return;
        data[frame * 2] += float(left);
        data[frame * 2 + 1] += float(right);
    }
    // A tone of a few partials from `start` seconds, panned p in -1..1.
    void tone(double start, double length, double hz, double level, double pan, double attack, double release,
              const std::vector<double>& partials, double decay = 0.0)
    {
        const size_t first = size_t(start * DemoProject::kRate);
        const size_t count = size_t(length * DemoProject::kRate);
        const double l = level * std::sqrt(0.5 * (1 - pan));
        const double r = level * std::sqrt(0.5 * (1 + pan));
        for (size_t i = 0; i < count; ++i) {
            const double t = double(i) / DemoProject::kRate;
            double s = 0.0;
            for (size_t k = 0; k < partials.size(); ++k)
                s += partials[k] * std::sin(kTwoPi * hz * (k + 1) * t);
            s *= envelope(t, length, attack, release) * (decay > 0 ? std::exp(-t / decay) : 1.0);
            add(first + i, s * l, s * r);
        }
    }
    void normalise(double peak)
    {
        float m = 0.0f;
        for (float v : data)
            m = std::max(m, std::fabs(v));
        if (m > 0)
            for (float& v : data)
                v = float(v * peak / m);
    }
    size_t frames;
    std::vector<float> data;
};

std::vector<float> morningTheme()
{
    // I - vi - IV - V in C, a melody over soft chords.
    Buffer b(20.0);
    const int chords[4][3] = {{60, 64, 67}, {57, 60, 64}, {53, 57, 60}, {55, 59, 62}};
    for (int bar = 0; bar < 10; ++bar)
        for (int n : chords[bar % 4])
            b.tone(bar * 2.0, 2.1, midiHz(n - 12), 0.12, (n % 3 - 1) * 0.4, 0.2, 0.5, {1.0, 0.3, 0.1});
    const int melody[] = {72, 74, 76, 79, 76, 74, 72, 69, 71, 72, 74, 72, 69, 67, 69, 71,
                          72, 76, 79, 81, 79, 76, 74, 72, 71, 72, 74, 76, 74, 72, 71, 72};
    for (int i = 0; i < 32; ++i)
        b.tone(0.5 + i * 0.58, 0.55, midiHz(melody[i]), 0.18, 0.2, 0.01, 0.15, {1.0, 0.5, 0.25, 0.12}, 0.6);
    b.normalise(0.7);
    return b.data;
}

std::vector<float> pulse()
{
    // 120 beats per minute: a falling-sine kick on every beat, noise hats between.
    Buffer b(16.0);
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> noise(-1.0, 1.0);
    for (int beat = 0; beat < 32; ++beat) {
        const size_t at = size_t(beat * 0.5 * DemoProject::kRate);
        double phase = 0.0;
        for (size_t i = 0; i < size_t(0.25 * DemoProject::kRate); ++i) {
            const double t = double(i) / DemoProject::kRate;
            phase += kTwoPi * (50.0 + 120.0 * std::exp(-t * 30)) / DemoProject::kRate;
            const double s = 0.9 * std::sin(phase) * std::exp(-t * 12);
            b.add(at + i, s, s);
        }
        const size_t hat = at + size_t(0.25 * DemoProject::kRate);
        double lp = 0.0;
        for (size_t i = 0; i < size_t(0.06 * DemoProject::kRate); ++i) {
            const double t = double(i) / DemoProject::kRate;
            const double n = noise(rng);
            lp = 0.6 * lp + 0.4 * n;
            const double s = 0.25 * (n - lp) * std::exp(-t * 60);
            b.add(hat + i, s * 0.6, s);
        }
    }
    b.normalise(0.6);
    return b.data;
}

std::vector<float> eveningDrone()
{
    // A slow pad: a minor chord whose partials beat against a slightly detuned copy.
    Buffer b(24.0);
    for (int n : {45, 52, 57, 60, 64}) {
        b.tone(0.0, 24.0, midiHz(n), 0.1, -0.5, 3.0, 4.0, {1.0, 0.4, 0.2});
        b.tone(0.0, 24.0, midiHz(n) * 1.003, 0.1, 0.5, 3.0, 4.0, {1.0, 0.4, 0.2});
    }
    b.normalise(0.5);
    return b.data;
}

std::vector<float> bells()
{
    // Inharmonic partials ringing out, an arpeggio over two octaves.
    Buffer b(14.0);
    const int notes[] = {76, 79, 83, 84, 88, 84, 83, 79, 76, 72, 76, 79, 84, 88, 91, 88};
    for (int i = 0; i < 16; ++i) {
        const double hz = midiHz(notes[i]);
        const double start = i * 0.75;
        const double pan = (i % 4 - 1.5) / 2.0;
        for (auto [ratio, level] : {std::pair{1.0, 0.5}, {2.76, 0.25}, {5.4, 0.12}, {8.93, 0.06}})
            b.tone(start, 2.5, hz * ratio, level * 0.3, pan, 0.002, 0.3, {1.0}, 0.7 / ratio + 0.2);
    }
    b.normalise(0.6);
    return b.data;
}

std::vector<float> bassLine()
{
    Buffer b(16.0);
    const int line[] = {36, 36, 43, 36, 33, 33, 40, 33, 29, 29, 36, 29, 31, 31, 38, 31};
    for (int rep = 0; rep < 2; ++rep)
        for (int i = 0; i < 16; ++i)
            b.tone(rep * 8.0 + i * 0.5, 0.45, midiHz(line[i]), 0.5, 0.0, 0.005, 0.08, {1.0, 0.6, 0.3, 0.15}, 0.4);
    b.normalise(0.7);
    return b.data;
}

bool writeWave(const QString& path, const std::vector<float>& frames, QString& error)
{
    SF_INFO info{};
    info.samplerate = DemoProject::kRate;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    const QString temp = path + QStringLiteral(".part");
    SNDFILE* f = sf_open(QFile::encodeName(temp).constData(), SFM_WRITE, &info);
    if (!f) {
        error = QCoreApplication::translate("DemoProject", "Cannot write %1.").arg(path);
        return false;
    }
    const sf_count_t n = sf_count_t(frames.size() / 2);
    const bool ok = sf_writef_float(f, frames.data(), n) == n;
    if (sf_close(f) != 0 || !ok || !(QFile::remove(path), QFile::rename(temp, path))) {
        QFile::remove(temp);
        error = QCoreApplication::translate("DemoProject", "Cannot write %1.").arg(path);
        return false;
    }
    return true;
}

int32_t at(double seconds) { return int32_t(seconds * DemoProject::kRate); }

} // namespace

std::vector<DemoProject::Piece> DemoProject::pieces()
{
    return {{"Morning Theme.wav", 20.0},
            {"Pulse.wav", 16.0},
            {"Evening Drone.wav", 24.0},
            {"Bells.wav", 14.0},
            {"Bass Line.wav", 16.0}};
}

std::vector<float> DemoProject::synthesise(size_t piece)
{
    switch (piece) {
    case 0:
        return morningTheme();
    case 1:
        return pulse();
    case 2:
        return eveningDrone();
    case 3:
        return bells();
    case 4:
        return bassLine();
    default:
        return {};
    }
}

bool DemoProject::writeAudio(const QString& folder, QString& error)
{
    if (!QDir().mkpath(folder)) {
        error = QCoreApplication::translate("DemoProject", "Cannot create %1.").arg(folder);
        return false;
    }
    const std::vector<Piece> list = pieces();
    for (size_t i = 0; i < list.size(); ++i) {
        const QString path = QDir(folder).filePath(QString::fromLatin1(list[i].fileName));
        if (QFileInfo(path).isFile())
            continue;
        if (!writeWave(path, synthesise(i), error))
            return false;
    }
    return true;
}

bool DemoProject::arrange(CMultitrackerDoc& doc, const QString& folder, QString& error)
{
    doc.onNewDocument();
    while (doc.trackCount() < 3)
        doc.insertTrack(doc.trackCount(), std::make_unique<CTrack>(CMultitrackerDoc::kUntitledTrack));
    doc.setTrackName(0, "Melody");
    doc.setTrackName(1, "Rhythm");
    doc.setTrackName(2, "Bass");
    // Up to four pieces sound at once, each normalised near full scale on its own: every
    // track 6 dB down keeps the mix below full scale (it peaks near -3 dBFS).
    for (int32_t i = 0; i < 3; ++i)
        doc.trackAt(i)->setVolume(34.0f / 52.0f);
    doc.setTitle("Demo Compilation");
    doc.setArtist("Varda Quillon");

    struct Place {
        int track;
        int piece;
        double start;
    };
    // Three parts with silence between them, so that three CD tracks result; the
    // overlaps on the melody track become crossfades.
    const Place places[] = {
        {0, 0, 0.0},  {0, 3, 18.0}, {1, 1, 4.0},  {2, 4, 4.0},  // part one: 0 - 32 s
        {0, 2, 34.0}, {1, 1, 38.0}, {2, 4, 38.0},               // part two: 34 - 58 s
        {0, 3, 61.0}, {2, 4, 63.0},                              // part three: 61 - 79 s
    };
    const std::vector<Piece> list = pieces();
    for (const Place& p : places) {
        const std::string path = QDir(folder).filePath(QString::fromLatin1(list[size_t(p.piece)].fileName)).toStdString();
        auto clip = std::make_unique<CAudioClip>(&doc.format());
        if (!clip->openFile(at(p.start), path, &doc.prompter())) {
            error = QCoreApplication::translate("DemoProject", "Cannot open %1 as a clip.")
                        .arg(QString::fromStdString(path));
            return false;
        }
        clip->setColour(doc.colourForFile(path));
        doc.addClipToTrack(p.track, std::move(clip), false);
    }
    // The theme hands over to the bells with a sinusoidal crossfade.
    CTrack* melody = doc.trackAt(0);
    {
        std::lock_guard guard(melody->lock());
        if (!melody->clips().empty() && melody->clips()[0]->outgoing())
            melody->clips()[0]->outgoing()->setShape(kCrossfadeSinusoidal);
    }

    // Envelopes: the melody fades in and dips under the bells; the rhythm pans across.
    if (CCurve* volume = melody->addCurve(CCurve::kVolume)) {
        volume->removeAllPoints();
        volume->addPoint(0, 0.0f);
        volume->addPoint(at(2.0), 1.0f);
        volume->addPoint(at(16.0), 1.0f);
        volume->addPoint(at(20.0), 0.6f);
        volume->addPoint(at(30.0), 0.6f);
        volume->addPoint(at(34.0), 1.0f);
    }
    if (CCurve* pan = doc.trackAt(1)->addCurve(CCurve::kPan)) {
        pan->removeAllPoints();
        pan->addPoint(at(4.0), 0.2f);
        pan->addPoint(at(20.0), 0.8f);
        pan->addPoint(at(38.0), 0.8f);
        pan->addPoint(at(54.0), 0.2f);
    }

    // CD tracks follow the arrangement; an index and a free label are set by hand.
    doc.setCursor(0);
    doc.synchroniseCdTracks();
    doc.labels().add(at(12.0), ProjectLabel::kIndex, "Chorus");
    doc.labels().add(at(46.0), ProjectLabel::kFreeLabel, "Drone swells");
    {
        CLabelList::Cursor cursor;
        int n = 0;
        const char* titles[] = {"Sunrise", "Dusk", "Bells at Night"};
        for (ProjectLabel* l = doc.labels().first(cursor); l; l = doc.labels().next(cursor))
            if (l->kind == ProjectLabel::kTrackSplit && n < 3)
                l->title = titles[n++];
    }
    doc.setCurrentTrack(0);
    doc.setModified(false);
    return true;
}

QString DemoProject::ensure(CMultitrackerDoc& doc, const QString& dataFolder, QString& error)
{
    const QString folder = QDir(dataFolder).filePath(QStringLiteral("Demo"));
    const QString project = QDir(folder).filePath(QString::fromLatin1(kProjectName));
    if (QFileInfo(project).isFile())
        return project;
    if (!writeAudio(folder, error) || !arrange(doc, folder, error))
        return QString();
    std::string saveError;
    if (!ProjectFile::save(doc, project.toStdString(), saveError)) {
        error = QString::fromStdString(saveError);
        return QString();
    }
    return project;
}

} // namespace quillon
