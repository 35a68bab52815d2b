#include "base/archive.h"

#include <gtest/gtest.h>

#include <memory>

using namespace quillon;

namespace {

// Two small serializable classes to frame: a node that may own a child.
class CTestNode : public CObject {
    QUILLON_DECLARE_SERIAL(CTestNode)
public:
    int32_t value = 0;
    CObject* child = nullptr;
    bool ownsChild = true;
    ~CTestNode() override
    {
        if (ownsChild)
            delete child;
    }
    void serialize(CArchive& ar) override
    {
        if (ar.isStoring()) {
            ar.writeI32(value);
            ar.writeObject(child);
        } else {
            value = ar.readI32();
            child = ar.readObject();
        }
    }
};
QUILLON_IMPLEMENT_SERIAL(CTestNode, 1)

class CTestLeaf : public CObject {
    QUILLON_DECLARE_SERIAL(CTestLeaf)
public:
    uint16_t word = 0;
    void serialize(CArchive& ar) override
    {
        if (ar.isStoring())
            ar.writeU16(word);
        else
            word = ar.readU16();
    }
};
QUILLON_IMPLEMENT_SERIAL(CTestLeaf, 1)

std::vector<uint8_t> stringBytes(const std::string& s)
{
    MemoryStream m;
    CArchive ar(m, CArchive::Mode::Store);
    ar.writeString(s);
    return m.bytes();
}

std::string readBack(const std::vector<uint8_t>& bytes)
{
    MemoryStream m(bytes);
    CArchive ar(m, CArchive::Mode::Load);
    std::string s = ar.readString();
    EXPECT_EQ(m.remaining(), 0u);
    return s;
}

ArchiveException::Kind loadFails(const std::vector<uint8_t>& bytes, const ClassInfo* expected = nullptr)
{
    MemoryStream m(bytes);
    CArchive ar(m, CArchive::Mode::Load);
    try {
        std::unique_ptr<CObject> o(ar.readObject(expected));
        ADD_FAILURE() << "load did not fail";
    } catch (const ArchiveException& e) {
        return e.kind();
    }
    return ArchiveException::Kind::Generic;
}

std::vector<uint8_t> classRecord(uint16_t schema, const std::string& name)
{
    std::vector<uint8_t> b{0xFF, 0xFF, uint8_t(schema), uint8_t(schema >> 8), uint8_t(name.size()), 0};
    for (char c : name)
        b.push_back(static_cast<uint8_t>(c));
    return b;
}

} // namespace

TEST(ArchiveString, LengthPrefixesAtEveryBoundary)
{
    struct Case {
        size_t length;
        std::vector<uint8_t> prefix;
    };
    const Case cases[] = {
        {0, {0x00}},
        {254, {0xFE}},
        {255, {0xFF, 0xFF, 0x00}},
        {65533, {0xFF, 0xFD, 0xFF}},
        {65534, {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
        {70000, {0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}},
    };
    for (const Case& c : cases) {
        std::string s(c.length, 'a');
        std::vector<uint8_t> bytes = stringBytes(s);
        ASSERT_EQ(bytes.size(), c.prefix.size() + c.length) << c.length;
        EXPECT_TRUE(std::equal(c.prefix.begin(), c.prefix.end(), bytes.begin())) << c.length;
        EXPECT_EQ(readBack(bytes), s) << c.length;
    }
}

TEST(ArchiveString, AnsiCharactersAreOneByteEach)
{
    // "Café – ü" in Windows-1252: the en dash is 0x96.
    std::vector<uint8_t> bytes = stringBytes("Caf\xC3\xA9 \xE2\x80\x93 \xC3\xBC");
    EXPECT_EQ(bytes, (std::vector<uint8_t>{8, 'C', 'a', 'f', 0xE9, ' ', 0x96, ' ', 0xFC}));
    EXPECT_EQ(readBack(bytes), "Caf\xC3\xA9 \xE2\x80\x93 \xC3\xBC");
}

TEST(ArchiveString, SixteenBitFormIsReadAndWrittenWhenAnsiCannotHoldTheText)
{
    // Written by another program: 0xFF, 0xFFFE, length 2, "Hé" in UTF-16LE.
    EXPECT_EQ(readBack({0xFF, 0xFE, 0xFF, 0x02, 'H', 0, 0xE9, 0}), "H\xC3\xA9");

    // Greek and an emoji do not fit the code page: kept whole in the 16-bit form.
    const std::string text = "\xCE\xA9 \xF0\x9F\x8E\xB5";
    std::vector<uint8_t> bytes = stringBytes(text);
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xFE);
    EXPECT_EQ(bytes[2], 0xFF);
    EXPECT_EQ(bytes[3], 4); // Omega, space and a surrogate pair
    EXPECT_EQ(readBack(bytes), text);
}

TEST(ArchiveString, SixteenBitLengthsAtTheirBoundaries)
{
    struct Case {
        size_t length;
        std::vector<uint8_t> prefix; // after 0xFF, 0xFFFE
    };
    const Case cases[] = {
        {254, {0xFE}},
        {255, {0xFF, 0xFF, 0x00}},
        {256, {0xFF, 0x00, 0x01}},
        {65534, {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
    };
    for (const Case& c : cases) {
        std::string text;
        for (size_t i = 0; i < c.length; ++i)
            text += "\xCE\xA9"; // Omega: not in the code page
        std::vector<uint8_t> bytes = stringBytes(text);
        std::vector<uint8_t> prefix{0xFF, 0xFE, 0xFF};
        prefix.insert(prefix.end(), c.prefix.begin(), c.prefix.end());
        ASSERT_EQ(bytes.size(), prefix.size() + 2 * c.length) << c.length;
        EXPECT_TRUE(std::equal(prefix.begin(), prefix.end(), bytes.begin())) << c.length;
        EXPECT_EQ(readBack(bytes), text) << c.length;
    }
}

TEST(ArchiveString, TruncatedStringIsEndOfFile)
{
    MemoryStream m(std::vector<uint8_t>{5, 'a', 'b'});
    CArchive ar(m, CArchive::Mode::Load);
    try {
        ar.readString();
        FAIL();
    } catch (const ArchiveException& e) {
        EXPECT_EQ(e.kind(), ArchiveException::Kind::EndOfFile);
    }
}

TEST(ArchiveObjects, FramingOfNewClassesKnownClassesAndRepeatedObjects)
{
    CTestLeaf shared;
    shared.word = 0xBEEF;
    CTestNode first, second;
    first.value = 7;
    first.child = &shared;
    first.ownsChild = false;
    second.value = 8;
    second.child = &shared;
    second.ownsChild = false;

    MemoryStream m;
    {
        CArchive ar(m, CArchive::Mode::Store);
        ar.writeObject(&first);
        ar.writeObject(&second);
        ar.writeObject(nullptr);
    }
    // first: new class CTestNode (index 1), object 2; its child: new class CTestLeaf (3),
    // object 4. second: class tag 0x8001, object 5; its child is object 4 again.
    std::vector<uint8_t> expected = classRecord(1, "CTestNode");
    for (uint8_t b : {7, 0, 0, 0})
        expected.push_back(b);
    auto leaf = classRecord(1, "CTestLeaf");
    expected.insert(expected.end(), leaf.begin(), leaf.end());
    for (uint8_t b : {0xEF, 0xBE, 0x01, 0x80, 8, 0, 0, 0, 0x04, 0x00, 0x00, 0x00})
        expected.push_back(b);
    EXPECT_EQ(m.bytes(), expected);

    m.seekToBegin();
    CArchive in(m, CArchive::Mode::Load);
    std::unique_ptr<CTestNode> a(in.readObjectAs<CTestNode>());
    std::unique_ptr<CTestNode> b(in.readObjectAs<CTestNode>());
    EXPECT_EQ(in.readObject(), nullptr);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->value, 7);
    EXPECT_EQ(b->value, 8);
    // The object written twice comes back as one object.
    ASSERT_NE(a->child, nullptr);
    EXPECT_EQ(a->child, b->child);
    EXPECT_EQ(static_cast<CTestLeaf*>(a->child)->word, 0xBEEF);
    b->ownsChild = false;
}

TEST(ArchiveObjects, LargeIndicesUseTheLongTags)
{
    // 0x7FFF objects push the next indices past the 16-bit tags.
    std::vector<std::unique_ptr<CTestLeaf>> leaves;
    MemoryStream m;
    CArchive ar(m, CArchive::Mode::Store);
    for (int i = 0; i < 0x7FFF; ++i) {
        leaves.push_back(std::make_unique<CTestLeaf>());
        ar.writeObject(leaves.back().get());
    }
    // Class index 1, objects 2..0x8000: the newest object is past 0x7FFE.
    size_t before = m.size();
    ar.writeObject(leaves.back().get());
    std::vector<uint8_t> tail(m.data() + before, m.data() + m.size());
    EXPECT_EQ(tail, (std::vector<uint8_t>{0xFF, 0x7F, 0x00, 0x80, 0x00, 0x00}));
    // Index 0x7FFE is the last short tag; 0x7FFF is the long tag's own mark, so that index
    // is written long.
    before = m.size();
    ar.writeObject(leaves[0x7FFC].get());
    tail.assign(m.data() + before, m.data() + m.size());
    EXPECT_EQ(tail, (std::vector<uint8_t>{0xFE, 0x7F}));
    before = m.size();
    ar.writeObject(leaves[0x7FFD].get());
    tail.assign(m.data() + before, m.data() + m.size());
    EXPECT_EQ(tail, (std::vector<uint8_t>{0xFF, 0x7F, 0xFF, 0x7F, 0x00, 0x00}));

    m.seekToBegin();
    CArchive in(m, CArchive::Mode::Load);
    std::vector<std::unique_ptr<CObject>> loaded;
    for (int i = 0; i < 0x7FFF; ++i)
        loaded.emplace_back(in.readObject());
    EXPECT_EQ(in.readObject(), loaded.back().get());
    EXPECT_EQ(in.readObject(), loaded[0x7FFC].get());
    EXPECT_EQ(in.readObject(), loaded[0x7FFD].get());
}

TEST(ArchiveObjects, EachErrorKindOnCraftedStreams)
{
    using K = ArchiveException::Kind;
    // Wrong schema.
    auto wrongSchema = classRecord(2, "CTestLeaf");
    wrongSchema.insert(wrongSchema.end(), {1, 0});
    EXPECT_EQ(loadFails(wrongSchema), K::BadSchema);
    // Unknown class.
    auto unknown = classRecord(1, "CNoSuchThing");
    EXPECT_EQ(loadFails(unknown), K::BadClass);
    // A leaf where a node is expected.
    auto leaf = classRecord(1, "CTestLeaf");
    leaf.insert(leaf.end(), {1, 0});
    EXPECT_EQ(loadFails(leaf, &CTestNode::staticClass()), K::BadClass);
    // An object index and a class index past the map.
    EXPECT_EQ(loadFails({0x05, 0x00}), K::BadIndex);
    EXPECT_EQ(loadFails({0x03, 0x80}), K::BadIndex);
    // A class index used as an object reference.
    auto classAsObject = classRecord(1, "CTestLeaf");
    classAsObject.insert(classAsObject.end(), {1, 0, 0x01, 0x00});
    {
        MemoryStream m(classAsObject);
        CArchive ar(m, CArchive::Mode::Load);
        std::unique_ptr<CObject> first(ar.readObject());
        EXPECT_THROW(ar.readObject(), ArchiveException);
    }
    // Truncated inside the object's fields.
    auto truncated = classRecord(1, "CTestNode");
    truncated.insert(truncated.end(), {7, 0});
    EXPECT_EQ(loadFails(truncated), K::EndOfFile);
    EXPECT_EQ(loadFails({0xFF}), K::EndOfFile);
}

TEST(ArchivePrimitives, LittleEndianWithoutPadding)
{
    MemoryStream m;
    CArchive ar(m, CArchive::Mode::Store);
    ar.writeU8(0x12);
    ar.writeU16(0x3456);
    ar.writeI32(-2);
    ar.writeFloat(1.0f);
    EXPECT_EQ(m.bytes(), (std::vector<uint8_t>{0x12, 0x56, 0x34, 0xFE, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x80, 0x3F}));
    m.seekToBegin();
    CArchive in(m, CArchive::Mode::Load);
    EXPECT_EQ(in.readU8(), 0x12);
    EXPECT_EQ(in.readU16(), 0x3456);
    EXPECT_EQ(in.readI32(), -2);
    EXPECT_EQ(in.readFloat(), 1.0f);
    EXPECT_THROW(in.readU8(), ArchiveException);
}

TEST(MemoryStream, GrowsInSteps)
{
    MemoryStream m;
    m.write("x", 1);
    EXPECT_EQ(m.capacity(), 1024u);
    std::vector<uint8_t> big(1500, 7);
    m.write(big.data(), big.size());
    EXPECT_EQ(m.capacity(), 2048u);
    EXPECT_EQ(m.size(), 1501u);
    m.seek(1);
    std::vector<uint8_t> back(2000);
    EXPECT_EQ(m.read(back.data(), back.size()), 1500u);
    EXPECT_EQ(back[1499], 7);
}
