#include "model/assignable_group.h"

#include "base/archive.h"
#include "effect_test_host.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>

using namespace quillon;
using quillon::test::EffectTestHost;

namespace {

std::vector<float> levels(const CAssignableGroup& g)
{
    std::vector<float> out;
    for (int32_t i = 0; i < g.sendCount(); ++i)
        out.push_back(g.sendLevelValue(i));
    return out;
}

std::vector<uint8_t> store(const CAssignableGroup& g)
{
    MemoryStream m;
    CArchive ar(m, CArchive::Mode::Store);
    ar.writeObject(&g);
    return m.bytes();
}

std::unique_ptr<CAssignableGroup> load(const std::vector<uint8_t>& bytes)
{
    MemoryStream m(bytes);
    CArchive ar(m, CArchive::Mode::Load);
    return std::unique_ptr<CAssignableGroup>(ar.readObjectAs<CAssignableGroup>());
}

// A group record written by hand: no effects, then the given send count and levels.
std::vector<uint8_t> groupBytes(int32_t sendCount, const std::vector<float>& values)
{
    MemoryStream m;
    CArchive ar(m, CArchive::Mode::Store);
    ar.writeU16(0xFFFF);
    ar.writeU16(1);
    ar.writeU16(16);
    ar.writeBytes("CAssignableGroup", 16);
    ar.writeI32(0);
    ar.writeI32(sendCount);
    for (float v : values)
        ar.writeFloat(v);
    return m.bytes();
}

TEST(AssignableGroup, StartsWithOneSilentSendPerTrack)
{
    CAssignableGroup g(3);
    EXPECT_EQ(levels(g), (std::vector<float>{0.0f, 0.0f, 0.0f}));
    EXPECT_TRUE(g.chain().empty());
    EXPECT_EQ(CAssignableGroup(-2).sendCount(), 0);
}

TEST(AssignableGroup, InsertingASendShiftsTheLaterOnes)
{
    CAssignableGroup g(3);
    g.setSendLevel(0, 0.1f);
    g.setSendLevel(1, 0.2f);
    g.sendLevel(2).store(0.3f); // edited in place, as the level control does
    EXPECT_TRUE(g.insertSend(0));
    EXPECT_EQ(levels(g), (std::vector<float>{0.0f, 0.1f, 0.2f, 0.3f}));
    EXPECT_TRUE(g.insertSend(4));
    EXPECT_TRUE(g.insertSend(2));
    EXPECT_EQ(levels(g), (std::vector<float>{0.0f, 0.1f, 0.0f, 0.2f, 0.3f, 0.0f}));
    EXPECT_FALSE(g.insertSend(7));
    EXPECT_FALSE(g.insertSend(-1));
    EXPECT_EQ(g.sendCount(), 6);
}

TEST(AssignableGroup, RemovingASendMovesTheLaterOnesDown)
{
    CAssignableGroup g(4);
    for (int32_t i = 0; i < 4; ++i)
        g.setSendLevel(i, 0.1f * static_cast<float>(i + 1));
    EXPECT_TRUE(g.removeSend(1));
    EXPECT_EQ(levels(g), (std::vector<float>{0.1f, 0.3f, 0.4f}));
    EXPECT_TRUE(g.removeSend(2));
    EXPECT_EQ(levels(g), (std::vector<float>{0.1f, 0.3f}));
    EXPECT_FALSE(g.removeSend(2));
    EXPECT_FALSE(g.removeSend(-1));
    // A later insert does not bring a removed level back.
    EXPECT_TRUE(g.insertSend(2));
    EXPECT_EQ(levels(g), (std::vector<float>{0.1f, 0.3f, 0.0f}));
}

TEST(AssignableGroup, LevelsStayInTheVolumeScale)
{
    CAssignableGroup g(2);
    EXPECT_TRUE(g.setSendLevel(0, 1.7f));
    EXPECT_TRUE(g.setSendLevel(1, std::numeric_limits<float>::quiet_NaN()));
    EXPECT_FLOAT_EQ(g.sendLevelValue(0), 1.0f);
    EXPECT_FLOAT_EQ(g.sendLevelValue(1), 0.0f);
    EXPECT_FALSE(g.setSendLevel(2, 0.5f));
    EXPECT_FLOAT_EQ(g.sendLevelValue(5), 0.0f);
}

TEST(AssignableGroupArchive, GroupWithoutEffectsKeepsItsSendLevels)
{
    CAssignableGroup g(3);
    g.setSendLevel(0, 0.25f);
    g.setSendLevel(2, 0.75f);
    const std::vector<uint8_t> bytes = store(g);
    // Class record, effect count 0, send count 3, three floats.
    EXPECT_EQ(bytes, groupBytes(3, {0.25f, 0.0f, 0.75f}));
    auto loaded = load(bytes);
    EXPECT_TRUE(loaded->chain().empty());
    EXPECT_EQ(levels(*loaded), (std::vector<float>{0.25f, 0.0f, 0.75f}));
}

TEST(AssignableGroupArchive, EffectsComeBackInChainOrderWithTheirState)
{
    EffectTestHost fx;
    CAssignableGroup g(2);
    g.setSendLevel(1, 0.5f);
    g.chain().append(std::make_unique<CTransformPlugin>(fx.catalog.create(fx.entry("Stereo Delay"))));
    g.chain().append(std::make_unique<CTransformPlugin>(fx.catalog.create(fx.entry("Reverb"))));
    g.chain().at(0)->setParameter(0, 123.0f);
    g.chain().at(1)->setParameter(0, 66.0f);

    auto loaded = load(store(g));
    ASSERT_EQ(loaded->chain().size(), 2u);
    EXPECT_EQ(loaded->chain().at(0)->name(), "Stereo Delay");
    EXPECT_EQ(loaded->chain().at(1)->name(), "Reverb");
    EXPECT_FLOAT_EQ(loaded->chain().at(0)->parameter(0), 123.0f);
    EXPECT_FLOAT_EQ(loaded->chain().at(1)->parameter(0), 66.0f);
    EXPECT_EQ(levels(*loaded), (std::vector<float>{0.0f, 0.5f}));

    // The second group of a file refers to the effect class by its index.
    MemoryStream m;
    {
        CArchive ar(m, CArchive::Mode::Store);
        ar.writeObject(&g);
        ar.writeObject(loaded.get());
    }
    m.seekToBegin();
    CArchive ar(m, CArchive::Mode::Load);
    std::unique_ptr<CAssignableGroup> first(ar.readObjectAs<CAssignableGroup>());
    std::unique_ptr<CAssignableGroup> second(ar.readObjectAs<CAssignableGroup>());
    EXPECT_EQ(second->chain().size(), 2u);
    EXPECT_EQ(m.remaining(), 0u);
}

TEST(AssignableGroupArchive, DamagedCountsFailWithoutHugeAllocations)
{
    EXPECT_THROW(load(groupBytes(-1, {})), ArchiveException);
    EXPECT_THROW(load(groupBytes(0x40000000, {0.5f})), ArchiveException);
    EXPECT_THROW(load(groupBytes(3, {0.5f, 0.5f})), ArchiveException);

    std::vector<uint8_t> bytes = groupBytes(0, {});
    // Replace the effect count (after the class record) with a huge one.
    const int32_t huge = 0x7FFFFFFF;
    std::memcpy(bytes.data() + 22, &huge, 4);
    EXPECT_THROW(load(bytes), ArchiveException);
}

TEST(AssignableGroupArchive, MissingEffectFailsTheGroup)
{
    EffectTestHost fx;
    CAssignableGroup g(1);
    g.chain().append(std::make_unique<CTransformPlugin>(fx.catalog.create(fx.entry("Compressor"))));
    const std::vector<uint8_t> bytes = store(g);
    EffectCatalog::setCurrent(nullptr); // as on a machine without the effect
    try {
        load(bytes);
        ADD_FAILURE() << "loaded without the effect";
    } catch (const ArchiveException& e) {
        EXPECT_NE(e.detail().find("522aeca5-cdd173e9-b17361da-718c1a4"), std::string::npos) << e.detail();
    }
}

} // namespace
