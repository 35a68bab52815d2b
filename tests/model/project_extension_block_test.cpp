// The block after the label list: pauses of CD tracks placed by hand, active flags, ISRCs
// and the catalogue number survive a save, an undo and readers that know nothing of it.
#include "project_fixture.h"

#include "model/disc_codes.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace quillon;
using namespace quillon::test;

namespace {

struct Extras {
    std::vector<int32_t> pauses;
    std::vector<std::string> isrcs;
    std::vector<bool> active;
    std::string catalog;
    int32_t autoTracks = 0;
    bool operator==(const Extras&) const = default;
};

Extras extrasOf(CMultitrackerDoc& d)
{
    Extras e;
    CLabelList::Cursor c;
    for (const ProjectLabel* l = d.labels().first(c); l; l = d.labels().next(c)) {
        e.pauses.push_back(l->pause);
        e.isrcs.push_back(l->isrc);
    }
    for (int32_t i = 0; i < d.trackCount(); ++i)
        e.active.push_back(d.trackAt(i)->isActive());
    e.catalog = d.catalogNumber();
    e.autoTracks = d.autoCdTracks();
    return e;
}

class ExtensionBlockTest : public ProjectFixture {
protected:
    // Projects of this user follow the arrangement unless their file says otherwise.
    ExtensionBlockTest() { settings.writeProfileInt("General", "AutoTracks", 1); }
    // Two tracks, the second off; splits by hand with pauses and codes.
    void build()
    {
        newDoc(2);
        doc->setAutoCdTracks(0);
        doc->labels().removeAll();
        doc->labels().add(0, ProjectLabel::kTrackSplit, "One")->isrc = "USS1Z9900001";
        doc->labels().add(44100, ProjectLabel::kTrackSplit, "Two", {}, 13230)->isrc = "GBAYE0601498";
        doc->labels().add(50000, ProjectLabel::kIndex);
        doc->trackAt(1)->setActive(false);
        doc->setCatalogNumber("0724384960650");
    }
    Extras loaded(const std::vector<uint8_t>& bytes)
    {
        auto copy = freshDoc();
        std::string error;
        EXPECT_TRUE(ProjectFile::loadBytes(*copy, bytes.data(), bytes.size(), error)) << error;
        return extrasOf(*copy);
    }
    const Extras kBuilt{{0, 13230, 0}, {"USS1Z9900001", "GBAYE0601498", ""}, {true, false}, "0724384960650", 0};
    const Extras kDefaults{{0, 0, 0}, {"", "", ""}, {true, true}, "", 1};
};

} // namespace

TEST_F(ExtensionBlockTest, SaveLoadAndUndoKeepWhatTheLabelListLeavesOut)
{
    build();
    ASSERT_EQ(extrasOf(*doc), kBuilt);
    const std::vector<uint8_t> bytes = ProjectFile::storeBytes(*doc);
    EXPECT_EQ(loaded(bytes), kBuilt);
    const Bytes block = extensionBlock("0724384960650", {{0, "USS1Z9900001"}, {13230, "GBAYE0601498"}, {0, ""}},
                                       {1, 0});
    ASSERT_GT(bytes.size(), block.v.size());
    EXPECT_TRUE(std::equal(block.v.begin(), block.v.end(), bytes.end() - std::ptrdiff_t(block.v.size())));

    doc->openUndoStep();
    doc->setCatalogNumber("");
    doc->trackAt(1)->setActive(true);
    CLabelList::Cursor c;
    doc->labels().first(c);
    doc->labels().next(c)->isrc.clear();
    ASSERT_TRUE(doc->undo());
    EXPECT_EQ(extrasOf(*doc), kBuilt);
}

TEST_F(ExtensionBlockTest, OlderFilesForeignBytesAndDamagedBlocks)
{
    build();
    const std::vector<uint8_t> bytes = ProjectFile::storeBytes(*doc);
    const Bytes block = extensionBlock("0724384960650", {{0, "USS1Z9900001"}, {13230, "GBAYE0601498"}, {0, ""}},
                                       {1, 0});
    // A reader of the label list ends where the block begins: the bytes before it are a
    // whole project of the older form, and they load as one.
    const std::vector<uint8_t> older(bytes.begin(), bytes.end() - std::ptrdiff_t(block.v.size()));
    auto with = [&](const Bytes& tail) {
        std::vector<uint8_t> b = older;
        b.insert(b.end(), tail.v.begin(), tail.v.end());
        return b;
    };
    EXPECT_EQ(loaded(older), kDefaults);

    Bytes junk;
    junk.raw("notes written by another program");
    EXPECT_EQ(loaded(with(junk)), kDefaults);
    for (size_t n = 1; n < block.v.size(); ++n) {
        Bytes cut;
        cut.v.assign(block.v.begin(), block.v.begin() + std::ptrdiff_t(n));
        EXPECT_EQ(loaded(with(cut)), kDefaults) << n;
    }

    // A later version appends fields: the ones known here are read, the rest skipped.
    Bytes later = block;
    later.v[4] = 2;
    later.v.insert(later.v.end(), {0xAA, 0xBB, 0xCC});
    const uint32_t grown = uint32_t(block.v.size() - 10 + 3);
    std::memcpy(&later.v[6], &grown, 4);
    EXPECT_EQ(loaded(with(later)), kBuilt);

    // Lists that disagree with the project are left alone; the rest is read.
    Extras partly = kDefaults;
    partly.autoTracks = 0;
    partly.active = {true, false};
    partly.catalog = "0724384960650";
    EXPECT_EQ(loaded(with(extensionBlock("0724384960650", {{0, ""}, {5, ""}}, {1, 0}))), partly);
    // Values no editor could have made are dropped.
    Extras cleaned = kDefaults;
    cleaned.autoTracks = 0;
    EXPECT_EQ(loaded(with(extensionBlock("12345", {{-7, "US-S1Z"}, {-1, "\"\n"}, {0, "0"}}, {1, 1}))), cleaned);
    // A length past the end of the file is no block.
    Bytes overlong = block;
    overlong.v[6] = 0xFF;
    EXPECT_EQ(loaded(with(overlong)), kDefaults);
}

TEST_F(ExtensionBlockTest, TheNextProjectFollowsTheSettingWhenItsFileSaysNothing)
{
    build();
    const std::vector<uint8_t> bytes = ProjectFile::storeBytes(*doc);
    const std::vector<uint8_t> older(bytes.begin(), bytes.end() - std::ptrdiff_t(extensionBlock("0724384960650",
        {{0, "USS1Z9900001"}, {13230, "GBAYE0601498"}, {0, ""}}, {1, 0}).v.size()));
    std::string error;
    ASSERT_TRUE(ProjectFile::loadBytes(*doc, bytes.data(), bytes.size(), error)) << error;
    ASSERT_EQ(doc->autoCdTracks(), 0);
    ASSERT_TRUE(ProjectFile::loadBytes(*doc, older.data(), older.size(), error)) << error;
    EXPECT_EQ(extrasOf(*doc), kDefaults);
    doc->setAutoCdTracks(0);
    doc->onNewDocument();
    EXPECT_EQ(doc->autoCdTracks(), 1);
}

TEST(DiscCodesTest, IsrcAndCatalogueNumbers)
{
    const struct {
        const char* text;
        const char* isrc;
    } isrcs[] = {
        {"USS1Z9900001", "USS1Z9900001"}, {"us-s1z-99-00001", "USS1Z9900001"}, {"GB AYE 06 01498", "GBAYE0601498"},
        {"", ""},                         {"USS1Z990000", ""},                  {"USS1Z99000012", ""},
        {"1SS1Z9900001", ""},             {"US$1Z9900001", ""},                 {"USS1Z9A00001", ""},
        {"USS1Z99O0001", ""},             {"ÉSS1Z9900001", ""},
    };
    for (const auto& row : isrcs)
        EXPECT_EQ(DiscCodes::normaliseIsrc(row.text), row.isrc) << row.text;
    EXPECT_FALSE(DiscCodes::isIsrc("us-s1z-99-00001"));
    EXPECT_EQ(DiscCodes::normaliseCatalogNumber("0724384960650"), "0724384960650");
    EXPECT_EQ(DiscCodes::normaliseCatalogNumber("0 724384 960650"), "0724384960650");
    for (const char* bad : {"072438496065", "07243849606501", "072438496065X", ""})
        EXPECT_EQ(DiscCodes::normaliseCatalogNumber(bad), "") << bad;
}
