#pragma once
// Matching the tempos of the two clips of a crossfade: measure both around the
// transition, fold them by octaves into a pair (X, Y), let the user choose how and to
// which common tempo, and time-scale both transitions. Runs on the user-interface
// thread; the choice comes through TempoChooser so the logic runs without a window.

#include <optional>

namespace quillon {

class Crossfade;
class Prompter;

inline constexpr const char* kTempoNotMeasuredText = "Could not measure tempo of clips.";
inline constexpr const char* kSameTempoText = "The two clips have the same tempo";

struct TempoChoice {
    int flags;   // 2 gradual, 1 hard
    float tempo; // the common tempo T, between X and Y
};

class TempoChooser {
public:
    virtual ~TempoChooser() = default;
    // Nullopt on cancel.
    virtual std::optional<TempoChoice> chooseTempo(float x, float y) = 0;
};

struct TempoPair {
    float x = 0;
    float y = 0;
    bool outgoingIsLower = false; // the outgoing clip measured the lower tempo
    bool swapped = false;         // X is the higher clip's tempo, Y the lower one's doubled
};

class TempoMatcher {
public:
    enum class Result { Applied, NotMeasured, SameTempo, Cancelled };

    // The folded pair for measured tempos of the outgoing (A) and incoming (B) clip.
    static TempoPair pairFor(float tempoA, float tempoB);
    // The time-scale ratios of A and B for a common tempo T.
    static void ratiosFor(const TempoPair& pair, float commonTempo, float& ratioA, float& ratioB);

    // Measures, asks and applies. Messages go to the prompter.
    static Result match(Crossfade& crossfade, Prompter& prompter, TempoChooser& chooser);
};

} // namespace quillon
