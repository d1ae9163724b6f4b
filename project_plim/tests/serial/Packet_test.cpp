#include "BareEngineTest.h"
#include "EngineTestFolder.h"
#include "serial/Packet.h"
#include "core/Plim.h"
#include "core/ResourceManager.h"
#include "core/RuntimeClass.h"
#include "core/RuntimeClassManager.h"
#include "TestRole.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

namespace {

typedef std::vector<uint8_t> Bytes;

Bytes written(const Packet& p) { return Bytes(p.buffer, p.cursor); }

class PacketTest : public BareEngineTest {
protected:
    void SetUp() override {
        BareEngineTest::SetUp();
        RuntimeClass::buildIndex();
    }

    // Writes with fn, checks the bytes, then reads them back with fn.
    template <class Fn>
    void roundTrip(const Bytes& expected, Fn fn) {
        Packet p;
        fn(p);
        EXPECT_EQ(written(p), expected);
        p.rewindToRead();
        fn(p);
        EXPECT_FALSE(p.hasError());
        EXPECT_EQ(p.getBytesLeft(), 0);
    }

    Bytes uintBytes(int v) {
        Packet p;
        p.doUInt(&v);
        return written(p);
    }
    Bytes intBytes(int v) {
        Packet p;
        p.doInt(&v);
        return written(p);
    }
    float halfTrip(float v, Bytes* bytes = nullptr) {
        Packet p;
        p.doHalf(&v);
        if (bytes)
            *bytes = written(p);
        p.rewindToRead();
        float out = -12345.0f;
        p.doHalf(&out);
        return out;
    }
    Packet* readerOf(const Bytes& bytes, uint32_t flags = Packet::FLAG_FILTER1) {
        Packet* p = new Packet(flags, static_cast<int32_t>(bytes.size()));
        if (!bytes.empty())
            memcpy(p->buffer, bytes.data(), bytes.size());
        p->cursor += bytes.size();
        p->rewindToRead();
        return p;
    }
};

TEST_F(PacketTest, VariableLengthIntegers) {
    EXPECT_EQ(uintBytes(0), (Bytes{0x00}));
    EXPECT_EQ(uintBytes(127), (Bytes{0x7F}));
    EXPECT_EQ(uintBytes(128), (Bytes{0x80, 0x01}));
    EXPECT_EQ(uintBytes(300), (Bytes{0xAC, 0x02}));
    EXPECT_EQ(uintBytes(INT_MAX), (Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0x07}));

    EXPECT_EQ(intBytes(0), (Bytes{0x00}));
    EXPECT_EQ(intBytes(63), (Bytes{0x3F}));
    EXPECT_EQ(intBytes(-1), (Bytes{0x41}));
    EXPECT_EQ(intBytes(64), (Bytes{0x80, 0x01}));
    EXPECT_EQ(intBytes(-64), (Bytes{0xC0, 0x01}));
    EXPECT_EQ(intBytes(-100), (Bytes{0xE4, 0x01}));
    EXPECT_EQ(intBytes(-INT_MAX), (Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0x0F}));

    // Every value, the ends of the ranges included, reads back in at most 5 bytes.
    for (int v : {0, 1, 63, 64, 8191, 8192, 1 << 20, INT_MAX, -1, -63, -64, -INT_MAX, INT_MIN}) {
        Packet p;
        int a = v, b = v;
        p.doInt(&a);
        p.doUInt(&b);
        EXPECT_LE(p.getLength(), 10);
        p.rewindToRead();
        a = b = 12345;
        p.doInt(&a);
        p.doUInt(&b);
        EXPECT_EQ(a, v);
        EXPECT_EQ(b, v);
        EXPECT_FALSE(p.hasError());
    }
}

TEST_F(PacketTest, BitsShareAByteWithLaterFields) {
    // One bit, a 4-byte value, seven bits: the bit byte comes first and holds
    // all eight; a ninth bit opens a new byte after the value.
    Packet p;
    bool first = true, ninth = true;
    uint32_t word = 0x12345678;
    uint8_t seven = 0x52; // 1010010 lands in bits 1..7 of the first byte
    p.doBool(&first);
    p.doBytes(&word, 4);
    p.doBits(&seven, 7);
    p.doBool(&ninth);
    EXPECT_EQ(written(p), (Bytes{0xA5, 0x78, 0x56, 0x34, 0x12, 0x01}));
    p.rewindToRead();
    first = ninth = false;
    word = 0;
    seven = 0;
    p.doBool(&first);
    p.doBytes(&word, 4);
    p.doBits(&seven, 7);
    p.doBool(&ninth);
    EXPECT_TRUE(first);
    EXPECT_EQ(word, 0x12345678u);
    EXPECT_EQ(seven, 0x52);
    EXPECT_TRUE(ninth);
    EXPECT_EQ(p.getBytesLeft(), 0);

    // Reading replaces only the bits asked for.
    Packet* r = readerOf({0x05});
    uint8_t v = 0xF0;
    r->doBits(&v, 3);
    EXPECT_EQ(v, 0xF5);
    delete r;
}

TEST_F(PacketTest, HalfFloats) {
    Bytes bytes;
    EXPECT_EQ(halfTrip(1.0f, &bytes), 1.0f);
    EXPECT_EQ(bytes, (Bytes{0x00, 0x3C}));
    EXPECT_EQ(halfTrip(-2.5f, &bytes), -2.5f);
    EXPECT_EQ(bytes, (Bytes{0x00, 0xC1}));
    EXPECT_EQ(halfTrip(0.5f, &bytes), 0.5f);
    EXPECT_EQ(bytes, (Bytes{0x00, 0x38}));
    EXPECT_EQ(halfTrip(0.1f), 0.0999755859375f);

    // Clamped at both ends; both zeros are the word 0.
    EXPECT_NEAR(halfTrip(1e-9f), 3.1e-5, 0.05e-5);
    EXPECT_NEAR(halfTrip(-1e-9f), -3.1e-5, 0.05e-5);
    EXPECT_EQ(halfTrip(200000.0f), 129984.0f);
    EXPECT_EQ(halfTrip(-200000.0f), -129984.0f);
    EXPECT_EQ(halfTrip(0.0f, &bytes), 0.0f);
    EXPECT_EQ(bytes, (Bytes{0x00, 0x00}));
    EXPECT_EQ(halfTrip(-0.0f, &bytes), 0.0f);
    EXPECT_EQ(bytes, (Bytes{0x00, 0x00}));

    // Ten bits of mantissa, truncated toward zero.
    for (float v : {3.14159f, -7.77f, 1234.5f, 0.001f}) {
        float back = halfTrip(v);
        EXPECT_LE(std::fabs(back), std::fabs(v));
        EXPECT_NEAR(back, v, std::fabs(v) / 1024.0f);
    }
}

TEST_F(PacketTest, FloatsVectorsAndColours) {
    roundTrip({0x00, 0x00, 0xC0, 0x3F, 0x00, 0x3C}, [](Packet& p) {
        double d = 1.5, h = 1.0;
        p.doDouble(&d);
        p.doHalfDouble(&h);
        EXPECT_EQ(d, 1.5);
        EXPECT_EQ(h, 1.0);
    });

    Packet p;
    V3 full(1.0f, -2.0f, 0.25f), xy(3.0f, 4.0f, 5.0f), half(0.5f, 1.0f, -2.5f), halfXY(1.0f, 2.0f, 9.0f);
    p.doVector(&full);
    p.doVectorXY(&xy);
    p.doHalfVector(&half);
    p.doHalfVectorXY(&halfXY);
    EXPECT_EQ(p.getLength(), 12 + 8 + 6 + 4);
    EXPECT_EQ(xy.z, 0.0f);
    EXPECT_EQ(halfXY.z, 0.0f);
    p.rewindToRead();
    V3 a, b(0, 0, 7), c, d(0, 0, 7);
    p.doVector(&a);
    p.doVectorXY(&b);
    p.doHalfVector(&c);
    p.doHalfVectorXY(&d);
    EXPECT_EQ(a, full);
    EXPECT_EQ(b, V3(3.0f, 4.0f, 0.0f));
    EXPECT_EQ(c, half);
    EXPECT_EQ(d, V3(1.0f, 2.0f, 0.0f));

    // Red 0x11, green 0x22, blue 0x33, alpha 0x44 travel as blue, green, red, alpha.
    roundTrip({0x33, 0x22, 0x11, 0x44}, [](Packet& p) {
        UColor c(0x11, 0x22, 0x33, 0x44);
        p.doColor(&c);
        EXPECT_EQ(c, UColor(0x11, 0x22, 0x33, 0x44));
    });
}

TEST_F(PacketTest, MaskedStrings) {
    roundTrip({0x03, 'a' ^ 0x6B, 'b' ^ 0x6B, 'c' ^ 0x6B, 0x00}, [](Packet& p) {
        UString s("abc"), empty;
        p.doUString(&s, 3);
        p.doUString(&empty, -1);
        EXPECT_EQ(s, "abc");
        EXPECT_TRUE(empty.isEmpty());
    });

    UString longest(std::string(1023, 'x'));
    Packet p;
    p.doUString(&longest, -1);
    EXPECT_EQ(p.getLength(), 2 + 1023);
    p.rewindToRead();
    UString back;
    p.doUString(&back, -1);
    EXPECT_EQ(back, longest);

    // A zero byte ends the text on arrival.
    Packet z;
    UString withZero(std::string("ab\0cd", 5));
    z.doUString(&withZero, -1);
    z.rewindToRead();
    z.doUString(&back, -1);
    EXPECT_EQ(back, "ab");
    EXPECT_FALSE(z.hasError());
}

TEST_F(PacketTest, Checksums) {
    const char* check = "123456789";
    EXPECT_EQ(crc32(reinterpret_cast<const uint8_t*>(check), 9), 0xCBF43926u);
    EXPECT_EQ(crc32(reinterpret_cast<const uint8_t*>(check), 0), 0u);

    std::mt19937 random(7);
    for (int length : {1, 2, 3, 255, 256, 4097, 65536}) {
        std::vector<uint8_t> data(length);
        for (uint8_t& b : data)
            b = static_cast<uint8_t>(random());
        EXPECT_EQ(crc32(data.data(), length), ::crc32(0L, data.data(), length)) << length;
    }

    Packet p;
    p.doBytes(const_cast<char*>(check), 9);
    EXPECT_EQ(p.crc32(0, -1), 0xCBF43926u);
    EXPECT_EQ(p.crc32(0, 9), 0xCBF43926u);
    EXPECT_EQ(p.crc32(3, -1), ::crc32(0L, reinterpret_cast<const Bytef*>(check + 3), 6));
    EXPECT_EQ(p.crc32(4, 0), 0u);
    EXPECT_EQ(p.crc32(9, -1), 0u);
}

TEST_F(PacketTest, SliceCloneAndAppendReassemble) {
    std::mt19937 random(11);
    Packet whole(Packet::FLAG_FILTER1, 1500);
    whole.sequence = 42;
    whole.time = 3.5;
    for (int i = 0; i < 1300; ++i) {
        uint8_t b = static_cast<uint8_t>(random());
        whole.doBytes(&b, 1);
    }
    Bytes original = written(whole);
    whole.rewindToRead();

    // Cut into pieces of at most 512 bytes, as the network does.
    std::vector<Packet*> pieces;
    while (whole.getBytesLeft() > 0) {
        int n = whole.getBytesLeft() < 512 ? whole.getBytesLeft() : 512;
        Packet* piece = whole.slice(n);
        EXPECT_FALSE(piece->bWriting);
        EXPECT_EQ(piece->sequence, 42);
        EXPECT_EQ(piece->size, n);
        EXPECT_EQ(piece->cursor, piece->buffer);
        pieces.push_back(piece);
    }
    ASSERT_EQ(pieces.size(), 3u);

    Packet joined;
    for (Packet* piece : pieces)
        piece->append(&joined);
    EXPECT_EQ(joined.sequence, 42);
    EXPECT_EQ(joined.time, 3.5);
    EXPECT_TRUE(joined.bWriting);
    EXPECT_EQ(written(joined), original);
    joined.rewindToRead();
    EXPECT_EQ(joined.getLength(), 1300);

    // A clone carries this content and then a piece of another packet.
    Packet head;
    head.sequence = 9;
    int marker = 77;
    head.doUInt(&marker);
    Packet* clone = head.cloneWithPiece(pieces[1], 10, 100);
    EXPECT_EQ(clone->capacity, 101);
    EXPECT_EQ(clone->getLength(), 101);
    EXPECT_EQ(clone->sequence, 9);
    EXPECT_EQ(clone->buffer[0], 77);
    EXPECT_EQ(Bytes(clone->buffer + 1, clone->buffer + 101),
              Bytes(original.begin() + 522, original.begin() + 622));
    EXPECT_FALSE(clone->hasError());

    // Into a used packet (other flags, stale bytes, read past its end) the
    // same comes out as into a new one.
    Packet spare(Packet::FLAG_MARKER, 600);
    memset(spare.buffer, 0xEE, 600);
    spare.rewindToRead();
    uint8_t past = 0;
    spare.doBytes(&past, 1);
    ASSERT_TRUE(spare.hasError());
    EXPECT_EQ(head.cloneWithPiece(pieces[1], 10, 100, &spare), &spare);
    EXPECT_EQ(spare.flags, head.flags);
    EXPECT_TRUE(spare.bWriting);
    EXPECT_FALSE(spare.hasError());
    EXPECT_EQ(spare.sequence, 9);
    EXPECT_EQ(written(spare), written(*clone));
    // Past the source's end: its last 76 bytes, then zeros, and the error.
    head.cloneWithPiece(pieces[2], 200, 100, &spare);
    EXPECT_TRUE(spare.hasError());
    EXPECT_EQ(Bytes(spare.buffer + 1, spare.buffer + 77), Bytes(original.begin() + 1224, original.end()));
    EXPECT_EQ(Bytes(spare.buffer + 77, spare.buffer + 101), Bytes(24, 0));
    EXPECT_EQ(pieces[0]->slice(300, &spare), &spare);
    EXPECT_FALSE(spare.bWriting);
    EXPECT_FALSE(spare.hasError());
    EXPECT_EQ(spare.sequence, 42);
    EXPECT_EQ(spare.getBytesLeft(), 300);
    EXPECT_EQ(Bytes(spare.buffer, spare.buffer + 300), Bytes(original.begin(), original.begin() + 300));
    delete clone;
    for (Packet* piece : pieces)
        delete piece;
}

TEST_F(PacketTest, HeaderAndClassReferences) {
    Packet p;
    p.sequence = 300;
    p.continued = true;
    p.doHeader();
    EXPECT_EQ(written(p), (Bytes{0xAC, 0x02, 0x01}));
    p.rewindToRead();
    p.sequence = -1;
    p.continued = false;
    p.doHeader();
    EXPECT_EQ(p.sequence, 300);
    EXPECT_TRUE(p.continued);

    // By index in the name-sorted registry, or by 32-bit identifier with flag 4.
    RuntimeClass* base = &PlimBase::runtimeClass;
    Packet byIndex;
    byIndex.doClassID(base);
    Packet indexBytes;
    int index = base->index;
    indexBytes.doUInt(&index);
    EXPECT_EQ(written(byIndex), written(indexBytes));

    Packet byId(Packet::FLAG_MARKER, -1);
    byId.doClassID(base);
    uint32_t id = base->id;
    EXPECT_EQ(written(byId), Bytes(reinterpret_cast<uint8_t*>(&id), reinterpret_cast<uint8_t*>(&id) + 4));

    for (Packet* q : {&byIndex, &byId}) {
        q->rewindToRead();
        RuntimeClass* read = nullptr;
        q->doClassID(read);
        EXPECT_EQ(read, base);
    }
}

TEST_F(PacketTest, ObjectAndResourceReferences) {
    TestRole role(true);
    role.makeCurrent();
    PlimBase* object = new PlimBase();
    role.registerObject(object, 7);
    PlimBase* none = nullptr;

    Packet p;
    EXPECT_TRUE(p.doPointer2(object));
    EXPECT_FALSE(p.doPointer2(none));
    EXPECT_EQ(written(p), (Bytes{0x07, 0x00}));
    p.rewindToRead();
    PlimBase* a = nullptr;
    PlimBase* b = object;
    EXPECT_TRUE(p.doPointer2(a));
    EXPECT_FALSE(p.doPointer2(b));
    EXPECT_EQ(a, object);
    EXPECT_EQ(b, nullptr);

    // An identifier that names nothing reads as null without spoiling the packet.
    Packet* unknown = readerOf({0x09, 0x07});
    EXPECT_TRUE(unknown->doPointer2(a));
    EXPECT_EQ(a, nullptr);
    EXPECT_TRUE(unknown->doPointer2(a));
    EXPECT_EQ(a, object);
    EXPECT_FALSE(unknown->hasError());
    delete unknown;

    engine->resourceManager = new ResourceManager();
    PlimBase* texture = new PlimBase();
    engine->resourceManager->addResource("sky", texture);
    PlimBase* resource = texture;
    Packet r;
    r.doResourcePointer2(resource);
    r.doResourcePointer2(none);
    EXPECT_EQ(written(r), (Bytes{0x03, 's' ^ 0x6B, 'k' ^ 0x6B, 'y' ^ 0x6B, 0x00}));
    r.rewindToRead();
    PlimBase* first = nullptr;
    PlimBase* second = texture;
    r.doResourcePointer2(first);
    r.doResourcePointer2(second);
    EXPECT_EQ(first, texture);
    EXPECT_EQ(second, nullptr);

    Packet* missing = readerOf({0x03, 's' ^ 0x6B, 'e' ^ 0x6B, 'a' ^ 0x6B});
    missing->doResourcePointer2(first);
    EXPECT_EQ(first, nullptr);
    delete missing;

    delete engine->resourceManager;
    engine->resourceManager = nullptr;
    delete texture;
    role.unregisterObject(object);
    delete object;
}

TEST_F(PacketTest, MalformedInputSetsTheErrorStateAndReadsZeros) {
    // Past the end: zeros from then on, even where bytes would remain.
    Packet* p = readerOf({0x05, 0x01, 0x02});
    int v = 99;
    uint32_t word = 0xFFFFFFFF;
    p->doUInt(&v);
    EXPECT_EQ(v, 5);
    p->doBytes(&word, 4);
    EXPECT_TRUE(p->hasError());
    EXPECT_EQ(word, 0u);
    v = 99;
    p->doInt(&v);
    EXPECT_EQ(v, 0);
    bool bit = true;
    p->doBool(&bit);
    EXPECT_FALSE(bit);
    float f = 1.0f;
    p->doHalf(&f);
    EXPECT_EQ(f, 0.0f);
    UString s("kept?");
    p->doUString(&s, -1);
    EXPECT_TRUE(s.isEmpty());
    delete p;

    // A bit byte that would lie past the end.
    p = readerOf({});
    uint8_t bits = 0xFF;
    p->doBits(&bits, 8);
    EXPECT_EQ(bits, 0);
    EXPECT_TRUE(p->hasError());
    delete p;

    // Variable-length integers of more than five bytes.
    for (bool isSigned : {false, true}) {
        p = readerOf({0x80, 0x80, 0x80, 0x80, 0x80, 0x01});
        v = 99;
        if (isSigned)
            p->doInt(&v);
        else
            p->doUInt(&v);
        EXPECT_EQ(v, 0);
        EXPECT_TRUE(p->hasError());
        delete p;
    }

    // Strings: over the caller's limit, at the buffer size, past the end.
    const Bytes tooLong = {0x04, 'a', 'b', 'c', 'd'};
    const Bytes huge = {0x80, 0x08};
    const Bytes truncated = {0x05, 'a'};
    for (const Bytes& bytes : {tooLong, huge, truncated}) {
        p = readerOf(bytes);
        s = "kept?";
        p->doUString(&s, 3);
        EXPECT_TRUE(s.isEmpty());
        EXPECT_TRUE(p->hasError());
        delete p;
    }

    // Classes that are not registered, by index and by identifier.
    Packet countPacket;
    int count = RuntimeClassManager::getInstance()->getNumClasses();
    countPacket.doUInt(&count);
    p = readerOf(written(countPacket));
    RuntimeClass* cls = &PlimBase::runtimeClass;
    p->doClassID(cls);
    EXPECT_EQ(cls, nullptr);
    EXPECT_TRUE(p->hasError());
    delete p;
    p = readerOf({0xEF, 0xBE, 0xAD, 0xDE}, Packet::FLAG_MARKER);
    cls = &PlimBase::runtimeClass;
    p->doClassID(cls);
    EXPECT_EQ(cls, nullptr);
    EXPECT_TRUE(p->hasError());
    delete p;

    // Object references without a role read as null.
    PlimBase holder;
    p = readerOf({0x05});
    PlimBase* object = &holder;
    EXPECT_TRUE(p->doPointer2(object));
    EXPECT_EQ(object, nullptr);
    EXPECT_FALSE(p->hasError());
    delete p;

    // Slicing more than is left zero-fills the piece and marks both.
    p = readerOf({1, 2, 3});
    Packet* piece = p->slice(5);
    EXPECT_EQ(Bytes(piece->buffer, piece->buffer + 5), (Bytes{1, 2, 3, 0, 0}));
    EXPECT_TRUE(piece->hasError());
    EXPECT_TRUE(p->hasError());
    delete piece;
    delete p;
}

using PacketDeathTest = PacketTest;

TEST_F(PacketDeathTest, LocalMisuseIsFatal) {
    auto fatal = [](const char* statement, void (*fn)()) {
        EXPECT_EXIT(
            {
                EngineTestFolder::routeStdoutToStderr();
                fn();
            },
            ::testing::ExitedWithCode(255), statement);
    };
    fatal("Statement: bWriting", [] {
        Packet p;
        p.rewindToRead();
        p.rewindToRead();
    });
    fatal("Statement: length<BUFFERSIZE", [] {
        Packet p;
        UString s(std::string(1024, 'x'));
        p.doUString(&s, -1);
    });
    fatal("Statement: objectUID>=0", [] {
        Packet p;
        PlimBase* unregistered = new PlimBase();
        p.doPointer2(unregistered);
    });
    fatal("Statement: n <= capacity - used", [] {
        Packet p(Packet::FLAG_FILTER1, 3);
        uint32_t word = 0;
        p.doBytes(&word, 4);
    });
}

} // namespace
