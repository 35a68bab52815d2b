#pragma once
// The demo compilation: a few pieces of music synthesised here (tones, chords, noise
// shaped into short pieces, no recordings) and a project that arranges them on
// several tracks with crossfades, envelope curves, CD track splits, an index and a
// label. Written into the user's data folder the first time it is asked for.

#include <QString>

#include <cstdint>
#include <vector>

namespace quillon {

class CMultitrackerDoc;

class DemoProject {
public:
    static constexpr const char* kProjectName = "Demo Compilation.vpf";
    static constexpr int kRate = 44100;

    struct Piece {
        const char* fileName;
        double seconds;
    };
    // The pieces in the order they are written.
    static std::vector<Piece> pieces();

    // Stereo float frames of a piece by its index in pieces().
    static std::vector<float> synthesise(size_t piece);
    // Writes every piece that is missing into `folder`; false with `error` set on a
    // write failure.
    static bool writeAudio(const QString& folder, QString& error);
    // Fills `doc` with the arrangement of the pieces in `folder`; false when a piece
    // cannot be opened as a clip.
    static bool arrange(CMultitrackerDoc& doc, const QString& folder, QString& error);

    // The demo project's path, creating audio and project first when the project file
    // is missing; empty with `error` set when that fails. Uses `doc` to build it.
    static QString ensure(CMultitrackerDoc& doc, const QString& dataFolder, QString& error);
};

} // namespace quillon
