#include "red_book_preflight.h"

#include "cd/cd_disc_plan.h"
#include "model/disc_codes.h"
#include <cstdio>

namespace quillon {

namespace {

std::string minutesSeconds(int64_t blocks)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%lld:%02lld", static_cast<long long>(blocks / 4500),
                  static_cast<long long>(blocks / 75 % 60));
    return buffer;
}

bool breaksCue(const std::string& text)
{
    for (char c : text)
        if (c == '"' || (c >= 0 && c < 0x20) || c == 0x7F)
            return true;
    return false;
}

} // namespace

std::string RedBookPreflight::toLatin1(std::string_view utf8, std::string* replaced)
{
    std::string out;
    size_t i = 0;
    while (i < utf8.size()) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            out.push_back(char(c));
            ++i;
            continue;
        }
        const size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        uint32_t code = length == 4 ? (c & 0x07u) : length == 3 ? (c & 0x0Fu) : (c & 0x1Fu);
        bool valid = length > 1 && i + length <= utf8.size();
        for (size_t k = 1; valid && k < length; ++k) {
            const auto cc = static_cast<unsigned char>(utf8[i + k]);
            valid = (cc & 0xC0u) == 0x80u;
            code = (code << 6) | (cc & 0x3Fu);
        }
        const size_t used = valid ? length : 1;
        if (valid && code >= 0xA0 && code <= 0xFF) {
            out.push_back(char(code));
        } else {
            out.push_back('?');
            if (replaced) {
                const std::string character(utf8.substr(i, used));
                if (replaced->find(character) == std::string::npos)
                    *replaced += (replaced->empty() ? "" : " ") + character;
            }
        }
        i += used;
    }
    return out;
}

int RedBookPreflight::textPacks(const std::vector<std::string>& titles, const std::vector<std::string>& artists)
{
    int packs = 0;
    for (const auto* kind : {&titles, &artists}) {
        size_t bytes = 0;
        bool any = false;
        for (const std::string& s : *kind) {
            bytes += s.size() + 1;
            any = any || !s.empty();
        }
        if (any)
            packs += int((bytes + 11) / 12);
    }
    return packs;
}

int RedBookPreflight::blankMinutes(int64_t reportedBlocks)
{
    if (reportedBlocks <= 340000)
        return 74;
    if (reportedBlocks <= 370000)
        return 80;
    if (reportedBlocks <= 415000)
        return 90;
    return 99;
}

PreflightResult RedBookPreflight::check(const CdDiscPlan& plan, const std::string& discTitle,
                                        const std::string& discArtist, int64_t capacityBlocks,
                                        const std::string& catalogNumber)
{
    PreflightResult r;
    if (!plan.refusal().empty()) {
        r.refusal = plan.refusal();
        return r;
    }
    const auto& tracks = plan.tracks();
    if (tracks.empty() || tracks.size() > 99) {
        r.refusal = PromptText("An Audio CD holds 1 to 99 tracks.");
        return r;
    }
    if (tracks.front().pauseBlocks < 150) {
        r.refusal = PromptText("The first CD track needs a pause of at least 2 seconds.");
        return r;
    }
    std::vector<std::string> titles{toLatin1(discTitle, &r.replaced)};
    std::vector<std::string> artists{toLatin1(discArtist, &r.replaced)};
    if (breaksCue(discTitle) || breaksCue(discArtist)) {
        r.refusal = PromptText("The project's title or artist contains a quotation mark or a control character, "
                               "which CD-TEXT in a disc image cannot hold.");
        return r;
    }
    for (size_t i = 0; i < tracks.size(); ++i) {
        const CdPlanTrack& t = tracks[i];
        const long long number = static_cast<long long>(i + 1);
        if (t.indexBlocks.size() > size_t(CdDiscPlan::kMaxIndexes)) {
            r.refusal = PromptText("CD track %1 has more than 98 indexes.").arg(number);
            return r;
        }
        const int64_t nextPause = i + 1 < tracks.size() ? tracks[i + 1].pauseBlocks : 0;
        if (t.fileBlocks() - nextPause < kMinTrackBlocks) {
            r.refusal = t.title.empty() ? PromptText("CD track %1 is shorter than 4 seconds. The Audio CD standard "
                                                     "requires at least 4 seconds per track.")
                                              .arg(number)
                                        : PromptText("CD track %1 (%2) is shorter than 4 seconds. The Audio CD "
                                                     "standard requires at least 4 seconds per track.")
                                              .arg(number)
                                              .arg(t.title);
            return r;
        }
        if (breaksCue(t.title) || breaksCue(t.artist)) {
            r.refusal = PromptText("The CD-TEXT of CD track %1 contains a quotation mark or a control character, "
                                   "which CD-TEXT in a disc image cannot hold.")
                            .arg(number);
            return r;
        }
        if (!t.isrc.empty() && !DiscCodes::isIsrc(t.isrc)) {
            r.refusal = PromptText("The ISRC of CD track %1 (%2) is not valid. %3")
                            .arg(number)
                            .arg(t.isrc)
                            .arg(PromptText(DiscCodes::kIsrcRule));
            return r;
        }
        titles.push_back(toLatin1(t.title, &r.replaced));
        artists.push_back(toLatin1(t.artist, &r.replaced));
    }
    if (!catalogNumber.empty() && !DiscCodes::isCatalogNumber(catalogNumber)) {
        r.refusal = PromptText("The disc's catalogue number (%1) is not valid. %2")
                        .arg(catalogNumber)
                        .arg(PromptText(DiscCodes::kCatalogRule));
        return r;
    }
    const bool known = capacityBlocks > 0;
    const int64_t limit = known ? capacityBlocks : kCdr99Blocks;
    if (plan.totalBlocks() > limit) {
        if (known)
            r.refusal = PromptText("The project is %1 long and does not fit on the %2 the %3-minute CD in the "
                                   "recorder holds.")
                            .arg(minutesSeconds(plan.totalBlocks()))
                            .arg(minutesSeconds(limit))
                            .arg(blankMinutes(limit));
        else
            r.refusal = PromptText("The project is %1 long and does not fit on the %2 the largest CD holds.")
                            .arg(minutesSeconds(plan.totalBlocks()))
                            .arg(minutesSeconds(limit));
        return r;
    }
    if (plan.totalBlocks() > kCdr80Blocks) {
        r.warning = PromptText(kPast80Text).arg(minutesSeconds(plan.totalBlocks()));
    }
    if (const int packs = textPacks(titles, artists); packs > kMaxTextPacks) {
        r.refusal = PromptText("The CD-TEXT is too long: it needs %1 packs, and a CD holds %2. Shorten the titles "
                               "or artists.")
                        .arg(packs)
                        .arg(kMaxTextPacks);
        return r;
    }
    return r;
}

} // namespace quillon
