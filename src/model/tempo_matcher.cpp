#include "model/tempo_matcher.h"

#include "base/prompter.h"
#include "model/audio_clip.h"
#include "model/crossfade.h"

#include <cmath>

namespace quillon {

TempoPair TempoMatcher::pairFor(float tempoA, float tempoB)
{
    TempoPair pair;
    float lo, hi;
    if (tempoA < tempoB) {
        lo = tempoA;
        hi = tempoB;
        pair.outgoingIsLower = true;
    } else {
        lo = tempoB;
        hi = tempoA;
        pair.outgoingIsLower = false;
    }
    while (2.0f * lo < hi)
        lo *= 2.0f;
    if (std::fabs(2.0f * lo - hi) < std::fabs(lo - hi)) {
        pair.x = hi;
        pair.y = 2.0f * lo;
        pair.swapped = true;
    } else {
        pair.x = lo;
        pair.y = hi;
    }
    return pair;
}

void TempoMatcher::ratiosFor(const TempoPair& pair, float commonTempo, float& ratioA, float& ratioB)
{
    // Each clip is scaled from its own folded tempo to T. When the pair was swapped the
    // lower clip's folded tempo is Y, not X.
    const float lowerTempo = pair.swapped ? pair.y : pair.x;
    const float higherTempo = pair.swapped ? pair.x : pair.y;
    const float lowerRatio = lowerTempo / commonTempo;
    const float higherRatio = higherTempo / commonTempo;
    ratioA = pair.outgoingIsLower ? lowerRatio : higherRatio;
    ratioB = pair.outgoingIsLower ? higherRatio : lowerRatio;
}

TempoMatcher::Result TempoMatcher::match(Crossfade& crossfade, Prompter& prompter, TempoChooser& chooser)
{
    CAudioClip* a = crossfade.outgoing();
    CAudioClip* b = crossfade.incoming();
    if (!a || !b || !a->isOpen() || !b->isOpen()) {
        prompter.showMessage(kTempoNotMeasuredText, PromptIcon::Information);
        return Result::NotMeasured;
    }
    const int32_t endOfA = a->sourceLength();
    const float tempoA = a->tempoAt(endOfA);
    const float tempoB = b->tempoAt(0);
    if (tempoA == 0.0f || tempoB == 0.0f) {
        prompter.showMessage(kTempoNotMeasuredText, PromptIcon::Information);
        return Result::NotMeasured;
    }
    const TempoPair pair = pairFor(tempoA, tempoB);
    if (std::fabs(pair.x - pair.y) < 0.5f) {
        prompter.showMessage(kSameTempoText, PromptIcon::Information);
        return Result::SameTempo;
    }
    const auto choice = chooser.chooseTempo(pair.x, pair.y);
    if (!choice || choice->tempo <= 0.0f)
        return Result::Cancelled;
    float ratioA = 1.0f, ratioB = 1.0f;
    ratiosFor(pair, choice->tempo, ratioA, ratioB);
    crossfade.applyTempo(choice->flags, ratioA, ratioB);
    return Result::Applied;
}

} // namespace quillon
