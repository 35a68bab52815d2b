#include "model/effect_chain.h"
#include "model/transform_plugin.h"

#include "base/archive.h"
#include "effect_test_host.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

using namespace quillon;
using quillon::test::EffectTestHost;

namespace {

// Parameter numbers of the shipped effects used here.
constexpr uint32_t kGainDb = 0;
constexpr uint32_t kReverbRoomSize = 0;
constexpr float kDoubleDb = 6.0205999f;

int fakeReleases()
{
    void* handle = dlopen(QUILLON_FAKE_EFFECT_SERVER, RTLD_NOW | RTLD_NOLOAD);
    if (!handle)
        return -1;
    auto fn = reinterpret_cast<int (*)()>(dlsym(handle, "fakeEffectReleases"));
    const int n = fn ? fn() : -1;
    dlclose(handle);
    return n;
}

std::unique_ptr<CTransformPlugin> make(const EffectTestHost& fx, const std::string& name)
{
    return std::make_unique<CTransformPlugin>(fx.catalog.create(fx.entry(name)));
}

std::unique_ptr<CTransformPlugin> doubler(const EffectTestHost& fx)
{
    auto p = make(fx, "Gain and Balance");
    p->setParameter(kGainDb, kDoubleDb);
    return p;
}

// An archive holding one CTransformPlugin object as a project file would.
std::vector<uint8_t> storedPlugin(const QuillonIdentifier& id, uint32_t stateSize, const std::vector<uint8_t>& state)
{
    MemoryStream m;
    CArchive ar(m, CArchive::Mode::Store);
    ar.writeU16(0xFFFF);
    ar.writeU16(1);
    ar.writeU16(16);
    ar.writeBytes("CTransformPlugin", 16);
    for (uint32_t w : id.words)
        ar.writeU32(w);
    ar.writeU32(stateSize);
    if (!state.empty())
        ar.writeBytes(state.data(), state.size());
    return m.bytes();
}

std::unique_ptr<CTransformPlugin> loadPlugin(const std::vector<uint8_t>& bytes)
{
    MemoryStream m(bytes);
    CArchive ar(m, CArchive::Mode::Load);
    return std::unique_ptr<CTransformPlugin>(ar.readObjectAs<CTransformPlugin>());
}

std::vector<uint8_t> store(const CObject& object)
{
    MemoryStream m;
    CArchive ar(m, CArchive::Mode::Store);
    ar.writeObject(&object);
    return m.bytes();
}

TEST(TransformPlugin, CreatedByIdentityThroughTheCurrentCatalogue)
{
    EffectTestHost fx;
    const EffectCatalogEntry& limiter = fx.entry("Limiter");
    CTransformPlugin p;
    EXPECT_FALSE(p.isValid());
    ASSERT_TRUE(p.createByIdentity(limiter.identity));
    EXPECT_EQ(p.name(), "Limiter");
    EXPECT_EQ(identityText(p.identity()), identityText(limiter.identity));
    EXPECT_EQ(p.identityText(), "7c7573a5-5b804cd5-5bfe0688-10abffe1");

    CTransformPlugin missing;
    EXPECT_FALSE(missing.createByIdentity(QuillonIdentifier{{0x1A2B3u, 0u, 0xFFFFFFFFu, 0x10u}}));
    EXPECT_FALSE(missing.isValid());
    EXPECT_THROW(missing.name(), ClassCom);

    EffectCatalog::setCurrent(nullptr);
    EXPECT_FALSE(missing.createByIdentity(limiter.identity));
}

TEST(TransformPlugin, ReleasesItsPluginExactlyOnce)
{
    EffectTestHost fx(true);
    const int before = fakeReleases();
    ASSERT_GE(before, 0);
    {
        CTransformPlugin p(fx.catalog.create(fx.entry("Failing Effect")));
        EXPECT_EQ(fakeReleases(), before);
        // Creating again replaces and releases the first instance.
        ASSERT_TRUE(p.createByIdentity(fx.entry("Throwing Effect").identity));
        EXPECT_EQ(fakeReleases(), before + 1);
    }
    EXPECT_EQ(fakeReleases(), before + 2);

    EffectChain chain;
    chain.append(std::make_unique<CTransformPlugin>(fx.catalog.create(fx.entry("Failing Effect"))));
    std::unique_ptr<CTransformPlugin> taken = chain.take(0);
    EXPECT_EQ(fakeReleases(), before + 2);
    taken.reset();
    EXPECT_EQ(fakeReleases(), before + 3);
}

TEST(TransformPlugin, FormatLengthFactorAndValueCommands)
{
    EffectTestHost fx(true);
    auto gain = make(fx, "Gain and Balance");
    EXPECT_NO_THROW(gain->setFormat(96000, 1));
    try {
        gain->setFormat(0, 2);
        ADD_FAILURE() << "a rate of 0 was taken";
    } catch (const ClassCom& e) {
        EXPECT_EQ(e.code(), QUILLON_E_BAD_PARAM);
    }
    EXPECT_DOUBLE_EQ(gain->lengthFactor(), 1.0);
    gain->setValue(-7);
    EXPECT_EQ(gain->lastValue(), -7);

    EffectChain chain;
    chain.append(std::move(gain));
    chain.append(make(fx, "Failing Effect")); // claims it may lengthen blocks by half
    EXPECT_DOUBLE_EQ(chain.lengthFactor(), 1.5);
    EXPECT_DOUBLE_EQ(EffectChain().lengthFactor(), 1.0);
}

TEST(TransformPlugin, ProcessesBlocksAndCountsFrames)
{
    EffectTestHost fx;
    auto p = doubler(fx);
    p->setFormat(44100, 2);
    std::vector<float> block(2 * 300);
    for (size_t i = 0; i < block.size(); ++i)
        block[i] = 0.001f * static_cast<float>(i % 200) - 0.1f;
    const std::vector<float> input = block;

    EXPECT_EQ(p->process(block.data(), 300, 2, 300), 300);
    EXPECT_EQ(p->framesProcessed(), 300);
    for (size_t i = 0; i < block.size(); ++i)
        ASSERT_NEAR(block[i], 2.0f * input[i], 1e-5f) << i;
    EXPECT_EQ(p->process(block.data(), 120, 2, 300), 120);
    EXPECT_EQ(p->framesProcessed(), 420);
}

TEST(TransformPlugin, BypassLeavesBlockAndCountAlone)
{
    EffectTestHost fx;
    auto p = doubler(fx);
    p->setFormat(44100, 2);
    std::vector<float> block(2 * 64, 0.25f);
    p->process(block.data(), 64, 2, 64);
    const std::vector<float> before = block;
    p->setBypassed(true);
    EXPECT_EQ(p->process(block.data(), 64, 2, 64), 64);
    EXPECT_EQ(block, before);
    EXPECT_EQ(p->framesProcessed(), 64);
    p->setBypassed(false);
    p->process(block.data(), 64, 2, 64);
    EXPECT_EQ(p->framesProcessed(), 128);
    EXPECT_FLOAT_EQ(block[5], 1.0f);
}

TEST(TransformPlugin, FailureInsideProcessingLeavesTheChainRunning)
{
    EffectTestHost fx(true);
    EffectChain chain;
    chain.append(doubler(fx));
    chain.append(make(fx, "Failing Effect"));
    chain.append(make(fx, "Throwing Effect"));
    chain.append(doubler(fx));
    chain.setFormat(44100, 1);

    for (int round = 0; round < 2; ++round) {
        std::vector<float> block(50, 0.1f);
        EXPECT_EQ(chain.process(block.data(), 50, 1, 50), 50);
        // Both failing effects wrote their start position into the first sample and
        // the block went on, as they left it, to the last effect.
        EXPECT_FLOAT_EQ(block[0], 2.0f * 50.0f * round);
        for (size_t i = 1; i < block.size(); ++i)
            ASSERT_FLOAT_EQ(block[i], 0.4f) << i;
    }
    EXPECT_EQ(chain.at(1)->framesProcessed(), 100);
    EXPECT_EQ(chain.at(2)->framesProcessed(), 100);
    EXPECT_EQ(chain.at(3)->framesProcessed(), 100);
}

TEST(TransformPlugin, EntryWithBracketNumberStartsAsThatVariant)
{
    EffectTestHost fx;
    const EffectCatalogEntry* hall = nullptr;
    for (const EffectCatalogEntry& e : fx.catalog.entries())
        if (e.name == "Reverb" && e.bracketNumber == 2)
            hall = &e;
    ASSERT_NE(hall, nullptr);
    auto reverb = CTransformPlugin::createFromEntry(*hall, fx.catalog);
    EXPECT_EQ(reverb->lastValue(), 2);
    EXPECT_FLOAT_EQ(reverb->parameter(kReverbRoomSize), 85.0f);

    auto plain = CTransformPlugin::createFromEntry(fx.entry("Reverb"), fx.catalog); // the Room line
    EXPECT_FLOAT_EQ(plain->parameter(kReverbRoomSize), 45.0f);
    auto gain = CTransformPlugin::createFromEntry(fx.entry("Gain and Balance"), fx.catalog);
    EXPECT_EQ(gain->lastValue(), 0); // no bracket, nothing sent
}

TEST(TransformPlugin, DescribesAndSetsParameters)
{
    EffectTestHost fx(true);
    auto gain = make(fx, "Gain and Balance");
    ASSERT_EQ(gain->parameterCount(), 4u);
    const EffectParameterInfo info = gain->parameterInfo(kGainDb);
    EXPECT_EQ(info.name, "Gain");
    EXPECT_EQ(info.unit, "dB");
    EXPECT_FLOAT_EQ(info.minimum, -40.0f);
    EXPECT_FLOAT_EQ(info.maximum, 24.0f);
    EXPECT_FLOAT_EQ(info.defaultValue, 0.0f);
    EXPECT_EQ(gain->parameterInfo(2).kind, static_cast<uint32_t>(QUILLON_FX_PARAM_SWITCH));
    gain->setParameter(kGainDb, 100.0f);
    EXPECT_FLOAT_EQ(gain->parameter(kGainDb), 24.0f);
    EXPECT_THROW(gain->parameter(4), ClassCom);
    EXPECT_THROW(gain->setParameter(4, 1.0f), ClassCom);

    // An effect that does not describe parameters simply has none.
    EXPECT_EQ(make(fx, "Failing Effect")->parameterCount(), 0u);
}

TEST(TransformPluginArchive, StoresIdentityAndStateAndLoadsThemBack)
{
    EffectTestHost fx;
    auto eq = make(fx, "Parametric Equaliser");
    eq->setParameter(3, 7.5f);   // band 1 gain
    eq->setParameter(5, 1234.0f); // band 2 frequency
    eq->setParameter(13, 1.0f);  // high-pass on
    const std::vector<uint8_t> state = eq->saveState();
    ASSERT_FALSE(state.empty());

    const std::vector<uint8_t> bytes = store(*eq);
    // Class record, then the four identity words, the state size and the state.
    const size_t header = 2 + 2 + 2 + 16;
    ASSERT_EQ(bytes.size(), header + 16 + 4 + state.size());
    uint32_t words[5];
    std::memcpy(words, bytes.data() + header, sizeof(words));
    EXPECT_EQ(identityText(QuillonIdentifier{{words[0], words[1], words[2], words[3]}}),
              identityText(fx.entry("Parametric Equaliser").identity));
    EXPECT_EQ(words[4], state.size());
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + header + 20, bytes.end()), state);

    auto loaded = loadPlugin(bytes);
    ASSERT_TRUE(loaded && loaded->isValid());
    EXPECT_EQ(loaded->name(), "Parametric Equaliser");
    for (uint32_t i = 0; i < eq->parameterCount(); ++i)
        EXPECT_FLOAT_EQ(loaded->parameter(i), eq->parameter(i)) << i;
}

TEST(TransformPluginArchive, EmptyStateKeepsTheDefaults)
{
    EffectTestHost fx;
    auto loaded = loadPlugin(storedPlugin(fx.entry("Gain and Balance").identity, 0, {}));
    ASSERT_TRUE(loaded->isValid());
    EXPECT_FLOAT_EQ(loaded->parameter(kGainDb), 0.0f);
}

TEST(TransformPluginArchive, MissingEffectFailsTheLoadNamingIt)
{
    EffectTestHost fx;
    try {
        loadPlugin(storedPlugin(QuillonIdentifier{{0x1A2B3u, 0u, 0xFFFFFFFFu, 0x10u}}, 2, {1, 2}));
        ADD_FAILURE() << "loaded a missing effect";
    } catch (const ArchiveException& e) {
        EXPECT_NE(e.detail().find("1a2b3-0-ffffffff-10"), std::string::npos) << e.detail();
    }
}

TEST(TransformPluginArchive, DamagedOrRefusedStateFailsTheLoad)
{
    EffectTestHost fx(true);
    const QuillonIdentifier gain = fx.entry("Gain and Balance").identity;
    try {
        loadPlugin(storedPlugin(gain, 100000, {1, 2, 3}));
        ADD_FAILURE() << "state size beyond the file was taken";
    } catch (const ArchiveException& e) {
        EXPECT_EQ(e.kind(), ArchiveException::Kind::EndOfFile);
    }
    // Twelve bytes that are not a state of this effect: the plug-in refuses them.
    try {
        loadPlugin(storedPlugin(gain, 12, std::vector<uint8_t>(12, 0x5A)));
        ADD_FAILURE() << "foreign state was taken";
    } catch (const ClassCom& e) {
        EXPECT_EQ(e.code(), QUILLON_E_BAD_PARAM);
    }
    // The load gives the effect a format; one that refuses it fails the load.
    test::ScopedEnv refuse("QUILLON_FAKE_REFUSE_FORMAT", "1");
    EXPECT_THROW(loadPlugin(storedPlugin(fx.entry("Failing Effect").identity, 0, {})), ClassCom);
}

TEST(EffectChain, KeepsOrderAndRefusesAnEffectOwnedTwice)
{
    EffectTestHost fx;
    EffectChain chain;
    EXPECT_TRUE(chain.append(make(fx, "Limiter")));
    EXPECT_TRUE(chain.insert(0, make(fx, "Compressor")));
    EXPECT_TRUE(chain.insert(2, make(fx, "Reverb")));
    EXPECT_FALSE(chain.insert(5, make(fx, "Stereo Delay")));
    EXPECT_FALSE(chain.append(nullptr));
    ASSERT_EQ(chain.size(), 3u);
    EXPECT_EQ(chain.at(0)->name(), "Compressor");
    EXPECT_EQ(chain.at(2)->name(), "Reverb");
    EXPECT_TRUE(chain.move(2, 0));
    EXPECT_EQ(chain.at(0)->name(), "Reverb");
    EXPECT_EQ(chain.at(1)->name(), "Compressor");
    EXPECT_FALSE(chain.move(0, 3));

    // Written twice, one object comes back as a reference to the first: refused.
    MemoryStream m;
    {
        CArchive ar(m, CArchive::Mode::Store);
        ar.writeI32(2);
        ar.writeObject(chain.at(0));
        ar.writeObject(chain.at(0));
    }
    m.seekToBegin();
    CArchive ar(m, CArchive::Mode::Load);
    EffectChain loaded;
    try {
        loaded.load(ar);
        ADD_FAILURE() << "one effect owned twice";
    } catch (const ArchiveException& e) {
        EXPECT_EQ(e.kind(), ArchiveException::Kind::BadIndex);
    }
    EXPECT_EQ(loaded.size(), 1u);
}

} // namespace
