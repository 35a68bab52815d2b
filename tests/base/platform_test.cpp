// Settings, libraries, text, levels, ranges, hints and the prompter.

#include "base/dynamic_library.h"
#include "base/level.h"
#include "base/memory_settings_store.h"
#include "base/recording_prompter.h"
#include "base/sample_range.h"
#include "base/text_encoding.h"
#include "base/view_hints.h"
#include "base/wave_format.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace quillon;

TEST(SettingsStore, DefaultsTypesAndCaseInsensitiveNames)
{
    MemorySettingsStore s;
    EXPECT_EQ(s.profileInt("General", "UndoLevels", 100), 100);
    EXPECT_EQ(s.profileString("General", "Default-Artist", "nobody"), "nobody");
    s.writeProfileInt("General", "UndoLevels", -1);
    EXPECT_EQ(s.getInt(SettingsRoot::CurrentUser, "software\\ostrel\\varda quillon\\general", "undolevels", 5), -1);
    // The same address under the other root is a different value.
    EXPECT_EQ(s.getInt(SettingsRoot::LocalMachine, keys::section("General"), "UndoLevels", 5), 5);
    // A number stored as text reads as a number; other text reads as missing.
    s.writeProfileString("View", "TimeCode", "3");
    EXPECT_EQ(s.profileInt("View", "TimeCode", 1), 3);
    s.writeProfileString("View", "TimeCode", "three");
    EXPECT_EQ(s.profileInt("View", "TimeCode", 1), 1);
    EXPECT_TRUE(s.remove(SettingsRoot::CurrentUser, keys::section("View"), "TimeCode"));
    EXPECT_FALSE(s.remove(SettingsRoot::CurrentUser, keys::section("View"), "TimeCode"));
}

TEST(DynamicLibrary, LoadsResolvesAndReportsErrors)
{
    DynamicLibrary lib;
    EXPECT_FALSE(lib.load("/nonexistent/libnothing.so"));
    EXPECT_NE(lib.errorText().find("libnothing"), std::string::npos);

    ASSERT_TRUE(lib.load("libm.so.6")) << lib.errorText();
    auto cosine = reinterpret_cast<double (*)(double)>(lib.symbol("cos"));
    ASSERT_NE(cosine, nullptr);
    EXPECT_DOUBLE_EQ(cosine(0.0), 1.0);
    EXPECT_EQ(lib.symbol("no_such_symbol_here"), nullptr);
    EXPECT_FALSE(lib.errorText().empty());

    DynamicLibrary moved = std::move(lib);
    EXPECT_FALSE(lib.isLoaded());
    EXPECT_TRUE(moved.isLoaded());
}

TEST(TextEncoding, Cp1252RoundTripsAndRefusals)
{
    EXPECT_EQ(text::utf8ToCp1252("\xE2\x82\xAC"), std::string("\x80")); // euro sign
    EXPECT_EQ(text::cp1252ToUtf8("\x80\x9F\xFF"), "\xE2\x82\xAC\xC5\xB8\xC3\xBF");
    EXPECT_FALSE(text::utf8ToCp1252("\xE6\x97\xA5").has_value()); // a CJK character
    // Bytes the code page leaves undefined survive as C1 controls.
    EXPECT_EQ(text::cp1252ToUtf8("a\x81z"), "a\xC2\x81z");
    EXPECT_EQ(text::utf16ToUtf8(text::utf8ToUtf16("x\xF0\x9F\x8E\xB5y")), "x\xF0\x9F\x8E\xB5y");
    EXPECT_TRUE(text::equalsNoCase("/Opt/Server.SO", "/opt/server.so"));
    EXPECT_FALSE(text::equalsNoCase("/opt/a.so", "/opt/b.so"));
}

TEST(Level, SliderDecibelGainMapping)
{
    EXPECT_DOUBLE_EQ(level::sliderToDb(0.0), -40.0);
    EXPECT_DOUBLE_EQ(level::sliderToDb(1.0), 12.0);
    EXPECT_NEAR(level::sliderToGain(level::kUnitySlider), 1.0, 1e-12);
    EXPECT_NEAR(level::sliderToGain(0.0), 0.01, 1e-12);
    EXPECT_NEAR(level::gainToSlider(0.5), (20 * std::log10(0.5) + 40) / 52, 1e-12);
    // Silence is -144 dB, below the slider's range.
    EXPECT_NEAR(level::gainToSlider(0.0), (-144.0 + 40) / 52, 1e-12);
}

TEST(SampleRange, LengthContainsNormaliseClamp)
{
    SampleRange r(10, 20);
    EXPECT_EQ(r.length(), 10);
    EXPECT_TRUE(r.contains(10));
    EXPECT_TRUE(r.contains(20));
    EXPECT_FALSE(r.contains(21));
    SampleRange back(20, 10);
    back.normalise();
    EXPECT_EQ(back, SampleRange(10, 20));

    SampleRange left(-5, 5);
    left.clamp({0, 100});
    EXPECT_EQ(left, SampleRange(0, 10));
    SampleRange right(95, 105);
    right.clamp({0, 100});
    EXPECT_EQ(right, SampleRange(90, 100));
    SampleRange wide(-10, 200);
    wide.clamp({0, 100});
    EXPECT_EQ(wide, SampleRange(0, 100));
}

TEST(WaveFormat, PcmAndFloatCopies)
{
    WAVEFORMATEX pcm = makePcmFormat(44100, 2, 16);
    EXPECT_EQ(pcm.nBlockAlign, 4);
    EXPECT_EQ(pcm.nAvgBytesPerSec, 176400u);
    pcm.cbSize = 0;
    WAVEFORMATEX f = floatCopy(pcm);
    EXPECT_EQ(f.wFormatTag, QUILLON_WAVE_FORMAT_PCM); // the tag is kept as it was
    EXPECT_EQ(f.nChannels, 2);
    EXPECT_EQ(f.nSamplesPerSec, 44100u);
    EXPECT_EQ(f.wBitsPerSample, 32);
    EXPECT_EQ(f.nBlockAlign, 8);
    EXPECT_EQ(f.nAvgBytesPerSec, 352800u);
}

namespace {
struct Listener : HintObserver {
    std::vector<std::pair<int, float>> heard;
    HintBroadcaster* leaveFrom = nullptr;
    void onHint(int hint, const HintPayload* p) override
    {
        heard.emplace_back(hint, p ? p->rateRatio : 0.0f);
        if (leaveFrom)
            leaveFrom->removeObserver(this);
    }
};
} // namespace

TEST(ViewHints, BroadcastSkipsSenderAndSurvivesRemoval)
{
    HintBroadcaster b;
    Listener a, c;
    b.addObserver(&a);
    b.addObserver(&c);
    b.addObserver(&a);
    HintPayload p;
    p.rateRatio = 0.5f;
    b.broadcast(kHintRateChanged, &p);
    b.broadcast(kHintRefresh, nullptr, &a);
    EXPECT_EQ(a.heard, (std::vector<std::pair<int, float>>{{4, 0.5f}}));
    EXPECT_EQ(c.heard, (std::vector<std::pair<int, float>>{{4, 0.5f}, {0, 0.0f}}));
    a.leaveFrom = &b;
    b.broadcast(kHintStructure);
    b.broadcast(kHintStructure);
    EXPECT_EQ(a.heard.size(), 2u);
    EXPECT_EQ(c.heard.size(), 4u);
}

TEST(RecordingPrompter, RecordsAndAnswersInOrder)
{
    RecordingPrompter p;
    p.queueAnswer(false);
    p.setDefaultAnswer(true);
    p.showMessage("hello", PromptIcon::Warning);
    EXPECT_FALSE(p.askYesNo("first?"));
    EXPECT_TRUE(p.askOkCancel("second?"));
    ASSERT_EQ(p.entries().size(), 3u);
    EXPECT_EQ(p.entries()[0].icon, PromptIcon::Warning);
    EXPECT_EQ(p.messages(), (std::vector<std::string>{"hello", "first?", "second?"}));
}
