#pragma once
// The Audio CD rules a plan must keep before anything is rendered or written: 1 to 99
// tracks with at most 98 indexes each, tracks of at least 4 seconds, a first pause of
// at least 2 seconds, a total that fits the medium, and CD-TEXT that ISO-8859-1 can hold,
// that fits the CD-TEXT packs and that a CUE sheet can quote.
//
// Threads: pure functions.
#include "base/prompt_text.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

class CdDiscPlan;

struct PreflightResult {
    // Empty when the disc may be written; else the message to show.
    PromptText refusal;
    // Characters of the CD-TEXT that were replaced by '?', each once, to tell the user.
    std::string replaced;
    // Something the user should agree to before writing (a disc past 80 minutes).
    PromptText warning;
    bool ok() const { return refusal.empty(); }
};

class RedBookPreflight {
public:
    static constexpr int64_t kCdr80Blocks = 360000;
    static constexpr int64_t kCdr90Blocks = 405000;
    static constexpr int64_t kCdr99Blocks = 445500;
    static constexpr int64_t kMinTrackBlocks = 300;
    // Text packs of one CD-TEXT block, beside its three size packs.
    static constexpr int kMaxTextPacks = 253;
    static constexpr const char* kReplacedText =
        "These characters cannot be written as CD-TEXT and will be replaced by '?': %1";

    static constexpr const char* kPast80Text =
        "The disc runs %1, past the 80 minutes of a standard CD-R. It needs a 90- or 99-minute blank, and some CD "
        "players and drives cannot read beyond 80 minutes. Write it anyway?";

    // `capacityBlocks` is what the medium holds as its drive reports it; 0 or less when
    // the drive cannot tell, and then the largest blank there is sets the limit.
    // `catalogNumber` is the disc's (empty for none).
    static PreflightResult check(const CdDiscPlan& plan, const std::string& discTitle, const std::string& discArtist,
                                 int64_t capacityBlocks = kCdr80Blocks, const std::string& catalogNumber = {});
    // The blank a reported size stands for, in minutes: 74, 80, 90 or 99. Blanks report
    // a little less than their nominal size (an 80-minute CD-R holds 359 849 blocks).
    static int blankMinutes(int64_t reportedBlocks);

    // The text as ISO-8859-1; characters it cannot hold become '?' and are added (as
    // UTF-8, once each) to `replaced`.
    static std::string toLatin1(std::string_view utf8, std::string* replaced = nullptr);
    // Packs the TITLE and PERFORMER texts take: each text ends with a NUL, each kind
    // fills packs of 12 characters.
    static int textPacks(const std::vector<std::string>& titles, const std::vector<std::string>& artists);
};

} // namespace quillon
