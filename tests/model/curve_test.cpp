#include "model/curve.h"

#include "base/archive.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <tuple>
#include <vector>

using namespace quillon;

namespace {

std::vector<int32_t> positions(CCurve& c)
{
    std::vector<int32_t> out;
    for (CurvePoint* p = c.firstPointAtOrAfter(std::numeric_limits<int32_t>::min()); p; p = c.nextPoint())
        out.push_back(p->position);
    return out;
}

std::vector<uint8_t> store(CCurve& c)
{
    MemoryStream m;
    CArchive ar(m, CArchive::Mode::Store);
    c.serialize(ar);
    return m.bytes();
}

std::unique_ptr<CCurve> load(const std::vector<uint8_t>& bytes)
{
    MemoryStream m(bytes);
    CArchive ar(m, CArchive::Mode::Load);
    auto c = std::make_unique<CCurve>(CCurve::kPan);
    c->serialize(ar);
    EXPECT_EQ(m.remaining(), 0u);
    return c;
}

void putU32(std::vector<uint8_t>& b, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void putFloat(std::vector<uint8_t>& b, float f)
{
    uint32_t v;
    std::memcpy(&v, &f, 4);
    putU32(b, v);
}

} // namespace

TEST(CurveInsert, KeepsOrderAndPlacesEqualPositionsByFlag)
{
    CCurve c;
    CurvePoint* mid = c.addPoint(100, 0.5f);
    c.addPoint(300, 0.3f);
    c.addPoint(0, 0.0f);    // smaller than the first: becomes first
    c.addPoint(200, 0.2f);  // in between
    c.addPoint(400, 0.4f);  // beyond the last: appended
    EXPECT_EQ(positions(c), (std::vector<int32_t>{0, 100, 200, 300, 400}));

    CurvePoint* before = c.addPoint(100, 0.9f, true);
    CurvePoint* after = c.addPoint(100, 0.1f, false);
    EXPECT_EQ(c.pointAfter(before), mid);
    EXPECT_EQ(c.pointAfter(mid), after);
    EXPECT_EQ(c.pointAfter(after)->position, 200);

    // Equal to the last point: the flag still decides the side.
    CurvePoint* lastBefore = c.addPoint(400, 0.7f, true);
    EXPECT_EQ(c.pointAfter(lastBefore)->position, 400);
    EXPECT_NE(c.lastPoint(), lastBefore);
    CurvePoint* firstBefore = c.addPoint(0, 0.8f, true);
    EXPECT_EQ(c.firstPoint(), firstBefore);
    EXPECT_EQ(c.pointCount(), 9);
    EXPECT_EQ(c.insertPoint(nullptr, false), nullptr);
}

TEST(CurveInsert, RemoveDestroysOnlyOwnPoints)
{
    CCurve c;
    CurvePoint* a = c.addPoint(10, 0.5f);
    c.addPoint(20, 0.5f);
    CurvePoint stranger(10, 0.5f);
    EXPECT_FALSE(c.removePoint(&stranger));
    EXPECT_FALSE(c.removePoint(nullptr));
    EXPECT_TRUE(c.removePoint(a));
    EXPECT_EQ(c.pointCount(), 1);
    EXPECT_EQ(c.firstPoint()->position, 20);
    c.removeAllPoints();
    EXPECT_EQ(c.pointCount(), 0);
    EXPECT_EQ(c.firstPoint(), nullptr);
    EXPECT_EQ(c.firstPointAtOrAfter(0), nullptr);
    EXPECT_EQ(c.nextPoint(), nullptr);
}

TEST(CurveIteration, FirstAtOrAfterThenNext)
{
    CCurve c;
    for (int32_t p : {0, 50, 50, 90})
        c.addPoint(p, 0.5f);
    CurvePoint* p = c.firstPointAtOrAfter(50);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->position, 50);
    EXPECT_EQ(c.nextPoint()->position, 50);
    EXPECT_EQ(c.nextPoint()->position, 90);
    EXPECT_EQ(c.nextPoint(), nullptr);
    EXPECT_EQ(c.nextPoint(), nullptr);
    EXPECT_EQ(c.firstPointAtOrAfter(91), nullptr);
    EXPECT_EQ(c.nextPoint(), nullptr);
}

TEST(CurveIteration, RemovingTheCurrentPointContinuesWithItsSuccessor)
{
    CCurve c;
    c.addPoint(0, 0.5f);
    CurvePoint* mid = c.addPoint(10, 0.5f);
    c.addPoint(20, 0.5f);
    ASSERT_EQ(c.firstPointAtOrAfter(5), mid);
    ASSERT_TRUE(c.removePoint(mid));
    CurvePoint* n = c.nextPoint();
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(n->position, 20);
    EXPECT_EQ(c.nextPoint(), nullptr);

    // Removing the last point of a walk ends it instead of touching freed memory.
    CurvePoint* last = c.firstPointAtOrAfter(20);
    ASSERT_TRUE(c.removePoint(last));
    EXPECT_EQ(c.nextPoint(), nullptr);
}

TEST(CurveValue, EdgeCases)
{
    CCurve empty;
    for (int32_t p : {std::numeric_limits<int32_t>::min(), -1, 0, 12345, std::numeric_limits<int32_t>::max()})
        EXPECT_EQ(empty.valueAt(p), 1.0f);

    CCurve one;
    one.addPoint(1000, 0.25f);
    for (int32_t p : {std::numeric_limits<int32_t>::min(), 0, 999, 1000, 1001, std::numeric_limits<int32_t>::max()})
        EXPECT_EQ(one.valueAt(p), 0.25f);

    CCurve ramp;
    ramp.addPoint(100, 0.0f);
    ramp.addPoint(200, 1.0f);
    EXPECT_EQ(ramp.valueAt(0), 0.0f);
    EXPECT_FLOAT_EQ(ramp.valueAt(125), 0.25f);
    EXPECT_FLOAT_EQ(ramp.valueAt(150), 0.5f);
    EXPECT_EQ(ramp.valueAt(200), 1.0f);
    EXPECT_EQ(ramp.valueAt(5000), 1.0f);
}

TEST(CurveValue, TwoPointsAtOnePositionFormAStep)
{
    CCurve c;
    c.addPoint(0, 0.0f);
    c.addPoint(100, 0.8f);
    c.addPoint(100, 0.2f); // later in the list
    c.addPoint(200, 0.6f);
    EXPECT_FLOAT_EQ(c.valueAt(50), 0.4f);
    EXPECT_FLOAT_EQ(c.valueAt(100), 0.8f);  // the earlier of the two
    EXPECT_FLOAT_EQ(c.valueAt(101), 0.2f + 0.4f * 0.01f);
    EXPECT_FLOAT_EQ(c.valueAt(150), 0.4f);  // interpolated from the later one

    // A step as the very first points holds the earlier value up to the step.
    CCurve head;
    head.addPoint(10, 0.9f);
    head.addPoint(10, 0.1f);
    EXPECT_EQ(head.valueAt(0), 0.9f);
    EXPECT_EQ(head.valueAt(10), 0.9f);
    EXPECT_EQ(head.valueAt(11), 0.1f);
}

TEST(CurveValue, FarApartPointsDoNotOverflow)
{
    CCurve c;
    c.addPoint(std::numeric_limits<int32_t>::min(), 0.0f);
    c.addPoint(std::numeric_limits<int32_t>::max(), 1.0f);
    EXPECT_NEAR(c.valueAt(0), 0.5f, 1e-6);
    EXPECT_NEAR(c.valueAt(std::numeric_limits<int32_t>::max() - 1), 1.0f, 1e-6);
}

TEST(CurvePixels, MappingFollowsRectangleAndRange)
{
    CCurve c;
    c.setDisplayRect({10, 20, 117, 127}); // 100 usable pixels each way
    c.setDisplayRange({1000, 2000});
    EXPECT_EQ(c.pointToPixel({1000, 1.0f}), (CurvePixel{13, 23}));
    EXPECT_EQ(c.pointToPixel({2000, 0.0f}), (CurvePixel{113, 123}));
    EXPECT_EQ(c.pointToPixel({1509, 0.5f}), (CurvePixel{63, 73})); // 50.9 truncates

    CurvePoint p = c.pixelToPoint(13, 23);
    EXPECT_EQ(p.position, 1000);
    EXPECT_EQ(p.value, 1.0f);
    p = c.pixelToPoint(63, 73);
    EXPECT_EQ(p.position, 1500);
    EXPECT_FLOAT_EQ(p.value, 0.5f);
}

TEST(CurvePixels, Clamps)
{
    CCurve c;
    c.setDisplayRect({0, 0, 107, 107});
    c.setDisplayRange({0, 1000});
    EXPECT_EQ(c.pixelToPoint(3, 50).position, 0);  // left edge + 3 is the range begin
    EXPECT_EQ(c.pixelToPoint(-500, 50).position, 0); // left of the range clamps at 0
    EXPECT_EQ(c.pixelToPoint(50, -40).value, 1.0f);  // above the top
    EXPECT_EQ(c.pixelToPoint(50, 400).value, 0.0f);  // below the bottom

    // Products that leave 32 bits: a long range on a wide lane.
    c.setDisplayRect({0, 0, 2007, 107});
    c.setDisplayRange({0, 2'000'000'000});
    EXPECT_EQ(c.pointToPixel({2'000'000'000, 0.5f}).x, 2003);
    EXPECT_EQ(c.pixelToPoint(2003, 0).position, 2'000'000'000);
    EXPECT_EQ(c.pixelToPoint(1'000'000, 0).position, std::numeric_limits<int32_t>::max());

    // Zoomed far in, a point far away stays a finite pixel.
    c.setDisplayRange({0, 40});
    EXPECT_EQ(c.pointToPixel({std::numeric_limits<int32_t>::max(), 0.5f}).x, CCurve::kPixelLimit);
}

TEST(CurvePixels, DegenerateRectangleOrRangeDoesNotDivideByZero)
{
    CCurve c;
    c.setDisplayRect({0, 0, 7, 7});
    c.setDisplayRange({500, 500});
    EXPECT_EQ(c.pointToPixel({800, 0.5f}), (CurvePixel{3, 3}));
    CurvePoint p = c.pixelToPoint(3, 3);
    EXPECT_EQ(p.position, 500);
    EXPECT_EQ(p.value, 1.0f);
    EXPECT_FALSE(c.hitTest(500, 500));
}

TEST(CurvePixels, HitTestFindsTheLineNotOnlyPoints)
{
    CCurve c;
    c.setDisplayRect({0, 0, 107, 107});
    c.setDisplayRange({0, 100});
    c.addPoint(0, 1.0f);
    c.addPoint(100, 0.0f);
    // Halfway along the falling line, far from both points.
    const CurvePixel mid = c.pointToPixel({50, c.valueAt(50)});
    EXPECT_TRUE(c.hitTest(mid.x, mid.y));
    EXPECT_TRUE(c.hitTest(mid.x, mid.y + 4));
    EXPECT_FALSE(c.hitTest(mid.x, mid.y + 5));
    EXPECT_FALSE(c.hitTest(mid.x, mid.y - 5));
    EXPECT_FALSE(c.hitTest(mid.x, 104)); // bottom of the lane under the line
}

TEST(CurveApply, BlockMatchesValueAtEveryFrame)
{
    CCurve c;
    c.addPoint(37, 0.9f);
    c.addPoint(100, 0.1f);
    c.addPoint(250, 0.75f);
    c.addPoint(250, 0.3f); // a step
    c.addPoint(251, 0.05f);
    c.addPoint(400, 1.0f);
    c.addPoint(400, 0.6f);
    c.addPoint(400, 0.2f); // three at one position
    c.addPoint(777, 0.5f);

    constexpr int channels = 3;
    // Blocks that start before, on and between points and run past the last one,
    // so that every segment kind meets a block edge somewhere.
    for (int32_t start : {0, 37, 99, 100, 245, 250, 251, 399, 400, 401, 700, 900}) {
        for (int32_t frames : {1, 2, 7, 160, 1000}) {
            std::vector<float> block(static_cast<size_t>(frames) * channels, 1.0f);
            for (size_t i = 0; i < block.size(); i += channels)
                block[i + 1] = -0.5f;
            c.apply(block.data(), frames, channels, start);
            for (int32_t f = 0; f < frames; ++f) {
                const float v = c.valueAt(start + f);
                ASSERT_FLOAT_EQ(block[f * channels], v) << "start " << start << " frame " << f;
                ASSERT_FLOAT_EQ(block[f * channels + 1], -0.5f * v) << "start " << start << " frame " << f;
                ASSERT_FLOAT_EQ(block[f * channels + 2], v) << "start " << start << " frame " << f;
            }
        }
    }
}

TEST(CurveApply, PanOnlyForTwoChannels)
{
    CCurve pan(CCurve::kPan);
    pan.addPoint(0, 0.0f);
    pan.addPoint(100, 1.0f);

    std::vector<float> stereo(2 * 101, 1.0f);
    pan.apply(stereo.data(), 101, 2, 0);
    for (int f = 0; f <= 100; ++f) {
        const float v = pan.valueAt(f);
        ASSERT_FLOAT_EQ(stereo[2 * f], std::min(1.0f, 2 * v)) << f;
        ASSERT_FLOAT_EQ(stereo[2 * f + 1], std::min(1.0f, 2 * (1 - v))) << f;
    }
    EXPECT_EQ(stereo[0], 0.0f);      // hard left: first channel silent
    EXPECT_EQ(stereo[2 * 50], 1.0f); // centre: both at full
    EXPECT_EQ(stereo[2 * 50 + 1], 1.0f);
    EXPECT_EQ(stereo[2 * 100 + 1], 0.0f);

    for (int channels : {1, 4}) {
        std::vector<float> block(static_cast<size_t>(channels) * 64, 0.75f);
        pan.apply(block.data(), 64, channels, 0);
        for (float s : block)
            ASSERT_EQ(s, 0.75f) << channels << " channels";
    }

    CCurve other(7);
    other.addPoint(0, 0.0f);
    std::vector<float> block(2 * 16, 0.75f);
    other.apply(block.data(), 16, 2, 0);
    for (float s : block)
        ASSERT_EQ(s, 0.75f);
}

TEST(CurveApply, EmptyCurveAndPositionsNearTheEnd)
{
    CCurve empty;
    std::vector<float> block(2 * 8, 0.5f);
    empty.apply(block.data(), 8, 2, 0);
    for (float s : block)
        EXPECT_EQ(s, 0.5f);

    // A block that runs past the largest position must not wrap around.
    CCurve c;
    c.addPoint(std::numeric_limits<int32_t>::max() - 4, 0.0f);
    c.addPoint(std::numeric_limits<int32_t>::max(), 1.0f);
    std::vector<float> tail(16, 1.0f);
    c.apply(tail.data(), 16, 1, std::numeric_limits<int32_t>::max() - 8);
    EXPECT_EQ(tail[0], 0.0f);
    EXPECT_FLOAT_EQ(tail[6], 0.5f);
    EXPECT_EQ(tail[8], 1.0f);
    EXPECT_EQ(tail[15], 1.0f);
}

TEST(CurveRescale, MultipliesPositionsAndRefusesBadRatios)
{
    CCurve c;
    c.addPoint(0, 1.0f);
    c.addPoint(44100, 0.5f);
    c.addPoint(2'000'000'000, 0.2f);
    const float ratio = 48000.0f / 44100.0f;
    ASSERT_TRUE(c.rescale(ratio));
    EXPECT_EQ(positions(c), (std::vector<int32_t>{0, static_cast<int32_t>(44100.0 * ratio),
                                                  std::numeric_limits<int32_t>::max()}));
    EXPECT_EQ(c.pointAfter(c.firstPoint())->position, 48000);
    EXPECT_FALSE(c.rescale(0.0f));
    EXPECT_FALSE(c.rescale(-1.0f));
    EXPECT_FALSE(c.rescale(std::nanf("")));
    EXPECT_EQ(c.pointAfter(c.firstPoint())->position, 48000);
}

TEST(CurveSerialize, BytesOfASmallCurve)
{
    CCurve c(CCurve::kPan);
    c.addPoint(0, 0.5f);
    c.addPoint(44100, 1.0f);
    const std::vector<uint8_t> expected = {
        0x02, 0x00, 0x00, 0x00,                                                 // count
        0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x3F, // pan, 0, 0.5
        0x01, 0x00, 0x00, 0x00, 0x44, 0xAC, 0x00, 0x00, 0x00, 0x00, 0x80, 0x3F, // pan, 44100, 1.0
    };
    EXPECT_EQ(store(c), expected);

    auto back = load(expected);
    EXPECT_EQ(back->kind(), CCurve::kPan);
    ASSERT_EQ(back->pointCount(), 2);
    EXPECT_EQ(back->firstPoint()->position, 0);
    EXPECT_EQ(back->firstPoint()->value, 0.5f);
    EXPECT_EQ(back->lastPoint()->position, 44100);
    EXPECT_EQ(back->lastPoint()->value, 1.0f);
}

TEST(CurveSerialize, EmptyPanCurveComesBackAsVolume)
{
    CCurve c(CCurve::kPan);
    const std::vector<uint8_t> bytes = store(c);
    EXPECT_EQ(bytes, (std::vector<uint8_t>{0, 0, 0, 0}));
    auto back = load(bytes);
    EXPECT_EQ(back->kind(), CCurve::kVolume);
    EXPECT_EQ(back->pointCount(), 0);
}

TEST(CurveSerialize, LoadingReplacesPointsAndTakesTheLastKind)
{
    std::vector<uint8_t> bytes;
    putU32(bytes, 3);
    for (auto [kind, pos, value] : {std::tuple{0, 10, 0.1f}, std::tuple{1, 10, 0.2f}, std::tuple{1, 5, 0.3f}}) {
        putU32(bytes, static_cast<uint32_t>(kind));
        putU32(bytes, static_cast<uint32_t>(pos));
        putFloat(bytes, value);
    }
    MemoryStream m(bytes);
    CArchive ar(m, CArchive::Mode::Load);
    CCurve c;
    c.addPoint(999, 0.9f);
    c.serialize(ar);
    EXPECT_EQ(c.kind(), CCurve::kPan);
    // Equal positions keep file order; an out-of-order record still lands sorted.
    ASSERT_EQ(positions(c), (std::vector<int32_t>{5, 10, 10}));
    EXPECT_EQ(c.valueAt(10), 0.1f);
}

TEST(CurveSerialize, TruncatedDataIsAnEndOfFileError)
{
    CCurve c;
    c.addPoint(0, 1.0f);
    c.addPoint(10, 0.5f);
    const std::vector<uint8_t> bytes = store(c);
    MemoryStream m(std::vector<uint8_t>(bytes.begin(), bytes.end() - 2));
    CArchive ar(m, CArchive::Mode::Load);
    CCurve back;
    try {
        back.serialize(ar);
        FAIL() << "truncated curve loaded";
    } catch (const ArchiveException& e) {
        EXPECT_EQ(e.kind(), ArchiveException::Kind::EndOfFile);
    }
}

TEST(CurveSerialize, RoundTripThroughObjectReference)
{
    CCurve c(CCurve::kPan);
    c.addPoint(0, 0.5f);
    c.addPoint(123, 0.25f);
    MemoryStream m;
    {
        CArchive ar(m, CArchive::Mode::Store);
        ar.writeObject(&c);
    }
    const std::vector<uint8_t> bytes = m.bytes();
    // Tag 0xFFFF, schema 1, name length 6, "CCurve", then the curve's own fields.
    const std::vector<uint8_t> head = {0xFF, 0xFF, 0x01, 0x00, 0x06, 0x00, 'C', 'C', 'u', 'r', 'v', 'e', 0x02};
    ASSERT_GE(bytes.size(), head.size());
    EXPECT_TRUE(std::equal(head.begin(), head.end(), bytes.begin()));

    MemoryStream in(bytes);
    CArchive ar(in, CArchive::Mode::Load);
    std::unique_ptr<CCurve> back(ar.readObjectAs<CCurve>());
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->kind(), CCurve::kPan);
    EXPECT_EQ(back->valueAt(123), 0.25f);
}

TEST(CurvePointDialog, FieldsAndBack)
{
    CurvePointFields f = curvePointFieldsFromPosition(3'700'000, 44100);
    EXPECT_EQ(f.minutes, 1);
    EXPECT_EQ(f.seconds, 23);
    EXPECT_EQ(f.milliseconds, 900);
    // Truncated to whole milliseconds on the way back; 64 bits keep it from wrapping.
    EXPECT_EQ(curvePointPositionFromFields(f, 44100), 3'699'990);
    EXPECT_EQ(curvePointPositionFromFields({59, 59, 999}, 192000), 691'199'808);

    f = curvePointFieldsFromPosition(44100 * 60 * 61 + 441, 44100);
    EXPECT_EQ(f.minutes, 61); // not wrapped at 60: confirming must not move it back
    EXPECT_EQ(f.seconds, 0);
    EXPECT_EQ(f.milliseconds, 10);
    EXPECT_EQ(curvePointPositionFromFields(f, 44100), 44100 * 60 * 61 + 441);
    EXPECT_EQ(curvePointMaxMinutes(44100), 811);
    EXPECT_EQ(curvePointMaxMinutes(0), 0);

    f = curvePointFieldsFromPosition(1000, 0);
    EXPECT_EQ(f.minutes + f.seconds + f.milliseconds, 0);
    EXPECT_EQ(curvePointPositionFromFields({1, 2, 3}, 0), 0);
}
