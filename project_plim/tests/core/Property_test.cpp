#include "BareEngineTest.h"
#include "serial/Packet.h"
#include "core/Plim.h"
#include "core/PlimBase.h"
#include "util/PlimUtil.h"
#include "core/PropertyContainer.h"
#include "core/PropertyDWORD.h"
#include "core/PropertyDouble.h"
#include "core/PropertyFloat.h"
#include "core/PropertyInt.h"
#include "core/PropertyPointer.h"
#include "core/PropertyUColor.h"
#include "core/ResourceManager.h"
#include "core/RuntimeClass.h"
#include "TestRole.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

typedef std::vector<uint8_t> Bytes;

Bytes written(const Packet& p) { return Bytes(p.buffer, p.cursor); }

class PropertyTest : public BareEngineTest {
protected:
    // The bytes one property writes into a packet with the given flags.
    Bytes bytesOf(Property* property, uint32_t flags = Packet::FLAG_FILTER1) {
        Packet p(flags, -1);
        property->netSerializeProperty(&p);
        delete property;
        return written(p);
    }
};

TEST_F(PropertyTest, ContainersSkipFilteredProperties) {
    for (uint32_t packetFlags : {0u, 1u, 2u, 4u}) {
        int32_t uid = 5, state = 3;
        double left = 2.0;
        PropertyContainer c("c", 0);
        c.addChild(new PropertyInt("objectUID", Property::FILTER1 | Property::FILTER2, &uid));
        c.addChild(new PropertyDouble("stateLeft", Property::FILTER1, &left));
        c.addChild(new PropertyInt("state", 0, &state));

        Packet p(packetFlags, -1);
        c.netSerializeProperty(&p);
        EXPECT_EQ(written(p), (Bytes{0x03})) << packetFlags;

        p.rewindToRead();
        uid = state = 0;
        left = 0.0;
        c.netSerializeProperty(&p);
        EXPECT_EQ(state, 3);
        EXPECT_EQ(uid, 0);
        EXPECT_EQ(left, 0.0);
    }
}

TEST_F(PropertyTest, DirectionalPropertiesAndNestedContainers) {
    int32_t out = 1, in = 2, both = 3, inner = 4;
    PropertyContainer c("c", 0);
    c.addChild(new PropertyInt("out", Property::WRITE_ONLY, &out));
    c.addChild(new PropertyInt("in", Property::READ_ONLY, &in));
    PropertyContainer* group = new PropertyContainer("group", 0);
    group->addChild(new PropertyInt("inner", 0, &inner));
    c.addChild(group);
    c.addChild(new PropertyInt("both", 0, &both));

    Packet p;
    c.netSerializeProperty(&p);
    EXPECT_EQ(written(p), (Bytes{0x01, 0x04, 0x03}));
    p.rewindToRead();
    out = in = inner = both = 0;
    c.netSerializeProperty(&p);
    // The writer's "out" is read into "in"; "out" itself is not read.
    EXPECT_EQ(out, 0);
    EXPECT_EQ(in, 1);
    EXPECT_EQ(inner, 4);
    EXPECT_EQ(both, 3);

    // Property::netSerialize only walks the children and writes no value.
    Packet q;
    c.netSerialize(&q);
    EXPECT_EQ(q.getLength(), 0);
}

TEST_F(PropertyTest, NetworkForms) {
    double one = 1.0;
    EXPECT_EQ(bytesOf(new PropertyDouble("d", Property::HALF, &one)), (Bytes{0x00, 0x3C}));
    EXPECT_EQ(bytesOf(new PropertyDouble("d", 0, &one)), (Bytes{0x00, 0x00, 0x80, 0x3F}));
    float f = 1.0f;
    EXPECT_EQ(bytesOf(new PropertyFloat("f", Property::HALF, &f)), (Bytes{0x00, 0x3C}));
    EXPECT_EQ(bytesOf(new PropertyFloat("f", 0, &f)), (Bytes{0x00, 0x00, 0x80, 0x3F}));
    int32_t minusOne = -1;
    EXPECT_EQ(bytesOf(new PropertyInt("i", 0, &minusOne)), (Bytes{0x41}));
    EXPECT_EQ(bytesOf(new PropertyInt("i", Property::UNSIGNED, &minusOne)),
              (Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0x0F}));
    uint32_t seed = 0x11223344;
    EXPECT_EQ(bytesOf(new PropertyDWORD("seed", 0, &seed)), (Bytes{0x44, 0x33, 0x22, 0x11}));
    UColor colour(0x11, 0x22, 0x33, 0x44);
    EXPECT_EQ(bytesOf(new PropertyUColor("color", 0, &colour)), (Bytes{0x33, 0x22, 0x11, 0x44}));

    // Pointers: an object's identifier, a resource's name, or raw with flag 2.
    TestRole role(true);
    role.makeCurrent();
    PlimBase object;
    role.registerObject(&object, 9);
    PlimBase* pointer = &object;
    EXPECT_EQ(bytesOf(new PropertyPointer("o", 0, &pointer, &PlimBase::runtimeClass)), (Bytes{0x09}));
    EXPECT_EQ(bytesOf(new PropertyPointer("o", Property::RAW_POINTER, &pointer, &PlimBase::runtimeClass)),
              (Bytes{0x09}));
    Bytes raw = bytesOf(new PropertyPointer("o", Property::RAW_POINTER, &pointer, &PlimBase::runtimeClass),
                        Packet::FLAG_FILTER2);
    ASSERT_EQ(raw.size(), 8u);
    uint64_t value = 0;
    for (int i = 7; i >= 0; --i)
        value = value << 8 | raw[i];
    EXPECT_EQ(value, reinterpret_cast<uintptr_t>(&object));

    engine->resourceManager = new ResourceManager();
    engine->resourceManager->addResource("sky", &object);
    EXPECT_EQ(bytesOf(new PropertyPointer("pSkin", Property::RESOURCE, &pointer, &PlimBase::runtimeClass)),
              (Bytes{0x03, 's' ^ 0x6B, 'k' ^ 0x6B, 'y' ^ 0x6B}));

    // Reading stores through setPointer.
    Packet p;
    p.doResourcePointer2(pointer);
    PlimBase* none = nullptr;
    p.doPointer2(pointer);
    p.rewindToRead();
    PropertyPointer byName("pSkin", Property::RESOURCE, &none, &PlimBase::runtimeClass);
    byName.netSerializeProperty(&p);
    EXPECT_EQ(none, &object);
    none = nullptr;
    PropertyPointer byId("o", 0, &none, &PlimBase::runtimeClass);
    byId.netSerializeProperty(&p);
    EXPECT_EQ(none, &object);

    delete engine->resourceManager;
    engine->resourceManager = nullptr;
    role.unregisterObject(&object);
}

TEST_F(PropertyTest, TextForms) {
    double d = 0.0;
    PropertyDouble pd("d", 0, &d);
    const std::pair<double, const char*> doubles[] = {{2.0, "2.0"},     {0.1, "0.1"},
                                                      {100.0, "100.0"}, {0.5, "0.5"},
                                                      {-2.25, "-2.25"}, {1.0 / 3.0, "0.333333333"}};
    for (const auto& entry : doubles) {
        d = entry.first;
        EXPECT_EQ(pd.toString(), entry.second);
    }
    pd.fromString("12.5");
    EXPECT_EQ(d, 12.5);
    pd.fromString("pear");
    EXPECT_EQ(d, 12.5);

    float f = 0.25f;
    PropertyFloat pf("f", 0, &f);
    EXPECT_EQ(pf.toString(), "0.25");
    pf.fromString("-1.5");
    EXPECT_EQ(f, -1.5f);

    int32_t i = -42;
    PropertyInt pi("i", 0, &i);
    EXPECT_EQ(pi.toString(), "-42");
    pi.fromString("17 apples");
    EXPECT_EQ(i, 17);
    pi.fromString("");
    EXPECT_EQ(i, 17);

    uint32_t w = 0xBEEF;
    PropertyDWORD pw("w", 0, &w);
    EXPECT_EQ(pw.toString(), "0000beef");
    pw.fromString("CAFE0001");
    EXPECT_EQ(w, 0xCAFE0001u);

    UColor c(0x11, 0x22, 0x33, 0x44);
    PropertyUColor pc("c", 0, &c);
    EXPECT_EQ(pc.toString(), "44112233");
    c = UColor();
    pc.fromString("44112233");
    EXPECT_EQ(c, UColor(0x11, 0x22, 0x33, 0x44));

    PropertyContainer group("g", 0);
    EXPECT_EQ(group.toString(), "(empty)");
    group.addChild(new PropertyInt("i", 0, &i));
    EXPECT_EQ(group.toString(), "...");
    Property plain("p", 0);
    EXPECT_EQ(plain.toString(), "");
}

TEST_F(PropertyTest, PointerTextForms) {
    PlimBase sky;
    PlimBase* pointer = nullptr;
    PropertyPointer p("pSkin", Property::RESOURCE, &pointer, &PlimBase::runtimeClass);
    EXPECT_EQ(p.toString(), "NULL");

    engine->resourceManager = new ResourceManager();
    engine->resourceManager->addResource("sky", &sky);
    p.fromString("sky");
    EXPECT_EQ(pointer, &sky);
    EXPECT_EQ(p.toString(), "sky");

    // No such resource: a hex value from 0x10000 up, or 0, is taken.
    p.fromString("1234");
    EXPECT_EQ(pointer, &sky);
    p.fromString("0");
    EXPECT_EQ(pointer, nullptr);
    p.fromString("12345678");
    EXPECT_EQ(reinterpret_cast<uintptr_t>(pointer), 0x12345678u);
    EXPECT_EQ(p.toString(), "12345678");

    delete engine->resourceManager;
    engine->resourceManager = nullptr;
}

TEST_F(PropertyTest, FlaggedSearchAndDeletion) {
    int32_t v = 0;
    PropertyContainer root("root", 0);
    PropertyContainer* a = new PropertyContainer("a", 0);
    PropertyInt* a1 = new PropertyInt("a1", Property::FLAGGED, &v);
    a->addChild(a1);
    PropertyInt* b = new PropertyInt("b", Property::FLAGGED | Property::FILTER2, &v);
    root.addChild(a);
    root.addChild(b);
    // Children last to first, each subtree before its root.
    EXPECT_EQ(root.findFlagged(), b);
    b->bSkip = true;
    EXPECT_EQ(root.findFlagged(), a1);
    b->bSkip = false;

    root.destroyFlagged(Property::FLAGGED);
    EXPECT_EQ(root.getNumChildren(), 1u);
    EXPECT_EQ(a->getNumChildren(), 0u);
    EXPECT_EQ(root.findFlagged(), nullptr);
}

TEST_F(PropertyTest, EngineObjectProperties) {
    PlimBase object;
    object.objectUID = 12;
    object.state = 4;
    PropertyContainer* c = object.createPropertyContainer();
    EXPECT_EQ(c->name,
              formatString("PlimBase (%08x)", static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&object))));
    EXPECT_EQ(c->flags, 0);

    struct Expected {
        const char* name;
        const RuntimeClass* cls;
        int flags;
    };
    auto check = [](PlimBase* parent, std::vector<Expected> expected) {
        ASSERT_EQ(parent->getNumChildren(), expected.size());
        for (size_t i = 0; i < expected.size(); ++i) {
            Property* p = static_cast<Property*>(parent->getChild(static_cast<int>(i)));
            EXPECT_EQ(p->name, expected[i].name);
            EXPECT_EQ(p->getClass(), expected[i].cls);
            EXPECT_EQ(p->flags, expected[i].flags);
        }
    };
    check(c,
          {{"objectUID", &PropertyInt::runtimeClass, 3}, {"StateBase", &PropertyContainer::runtimeClass, 0}});
    check(static_cast<PlimBase*>(c->getChild(1)), {{"state", &PropertyInt::runtimeClass, 0},
                                                   {"timeInState", &PropertyDouble::runtimeClass, 4},
                                                   {"stateLeft", &PropertyDouble::runtimeClass, 1},
                                                   {"stateGoto", &PropertyInt::runtimeClass, 1}});
    EXPECT_EQ(static_cast<Property*>(c->getChild(0))->toString(), "12");
    delete c;

    PropertyContainer* group = object.createPropertyGroup();
    EXPECT_EQ(group->name, "StateBase");
    EXPECT_EQ(group->getNumChildren(), 4u);
    delete group;
}

} // namespace
