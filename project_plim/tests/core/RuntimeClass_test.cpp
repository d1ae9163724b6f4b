#include "core/Plim.h"
#include "core/PlimBase.h"
#include "core/PlimClasses.h"
#include "core/RuntimeClass.h"
#include "core/RuntimeClassManager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

TEST(RuntimeClass, NameHashIsTimesThirtyThreePlusSignedByte) {
    EXPECT_EQ(RuntimeClass::hashName(""), 0u);
    EXPECT_EQ(RuntimeClass::hashName("BasicLink"), 0x1D88B430u);
    EXPECT_EQ(RuntimeClass::hashName("Context"), 0x30726545u);
    EXPECT_EQ(RuntimeClass::hashName("\x80"), 0xFFFFFF80u);
    EXPECT_EQ(RuntimeClass::hashName("A\xff"), 65u * 33u - 1u);
    RuntimeClass named("Context", nullptr, nullptr);
    EXPECT_EQ(named.id, 0x30726545u);
    EXPECT_EQ(named.index, -1);
}

TEST(RuntimeClass, KindTestAndFactory) {
    RuntimeClass context("Context", &PlimBase::runtimeClass, nullptr);
    RuntimeClass manager("ContextManager", &context, nullptr);
    RuntimeClass clock("TimeKeeper", &clock, nullptr); // its own base: stored as none
    EXPECT_EQ(clock.parent, nullptr);
    EXPECT_TRUE(manager.isKindOf(&manager));
    EXPECT_TRUE(manager.isKindOf(&BasicLink::runtimeClass));
    EXPECT_FALSE(clock.isKindOf(&PlimBase::runtimeClass));
    EXPECT_FALSE(PlimBase::runtimeClass.isKindOf(&context));
    EXPECT_EQ(clock.create(), nullptr);

    Plim* engine = new Plim(Plim::Bare{});
    PlimBase* o = static_cast<PlimBase*>(PlimBase::runtimeClass.create());
    EXPECT_EQ(o->getClass(), &PlimBase::runtimeClass);
    o->deleteMe();
    delete engine;
    PLIM = nullptr;
}

TEST(RuntimeClassManager, FindsNewestRecordWithIdAndFlagsDuplicateNames) {
    RuntimeClassManager m;
    RuntimeClass a(0x1234u, "Zulu", nullptr, nullptr), b(0x1234u, "Mike", nullptr, nullptr),
        dup("Zulu", nullptr, nullptr);
    m.registerClass(&a);
    m.registerClass(&b);
    m.registerClass(&a); // already listed: stays where it is
    EXPECT_EQ(m.getNumClasses(), 2);
    EXPECT_EQ(m.findById(0x1234u), &b);
    EXPECT_EQ(m.findById(0x9999u), nullptr);
    m.buildIndex();
    EXPECT_FALSE(m.bBadClasses);
    m.registerClass(&dup);
    m.buildIndex();
    EXPECT_TRUE(m.bBadClasses);
}

TEST(RuntimeClassManager, SortsByNameBytewiseShorterFirst) {
    RuntimeClassManager m;
    std::vector<const char*> names = {"_04790976", "Camera", "PlimBase", "BasicLink",
                                      "lower",     "Plim",   "Zeta"};
    std::vector<RuntimeClass*> records;
    for (const char* n : names) {
        records.push_back(new RuntimeClass(n, nullptr, nullptr));
        m.registerClass(records.back());
    }
    m.buildIndex();
    std::vector<std::string> sorted;
    for (RuntimeClass* c : m.classArray)
        sorted.push_back(c->name.c_str());
    EXPECT_EQ(sorted, (std::vector<std::string>{"BasicLink", "Camera", "Plim", "PlimBase", "Zeta",
                                                "_04790976", "lower"}));
    for (size_t i = 0; i < m.classArray.size(); ++i)
        EXPECT_EQ(m.classArray[i]->index, (int)i);
    EXPECT_EQ(m.getClassByIndex(1)->name, "Camera");
    EXPECT_EQ(m.getClassByIndex(7), nullptr);
    EXPECT_EQ(m.getClassByIndex(-1), nullptr);
    EXPECT_FALSE(m.bBadClasses);

    m.buildIndex(); // a second build lists every record once
    EXPECT_EQ(m.classArray.size(), names.size());
    EXPECT_FALSE(m.bBadClasses);
    for (RuntimeClass* c : records)
        delete c;
}

// The engine layer's records with their bases and whether they have a
// factory: what replication and the start-up listing rely on.
TEST(RuntimeClassManager, EngineRecordsHaveTheirBasesAndFactories) {
    struct Row {
        const char* name;
        const char* base;  // "" for a root record
        bool factory;
    };
    const Row rows[] = {
        {"BasicLink", "", true},
        {"Camera", "PlimBase", true},
        {"Console", "PlimBase", false},
        {"Context", "PlimBase", true},
        {"ErrorManager", "", false},
        {"FileManager", "", false},
        {"FontGDI", "PlimBase", false},
        {"Logger", "", false},
        {"Property", "PlimBase", false},
        {"PropertyContainer", "Property", false},
        {"PropertyDWORD", "Property", false},
        {"PropertyDouble", "Property", false},
        {"PropertyFloat", "Property", false},
        {"PropertyInt", "Property", false},
        {"PropertyPointer", "Property", false},
        {"PropertyUColor", "Property", false},
        {"Quad", "Skin", true},
        {"RPC", "", true},
        {"Renderable", "PlimBase", true},
        {"ResourceManager", "", false},
        {"_04790976", "PlimBase", true},
        {"_cfad751b", "RPC", true},
        {"_4472ef3a", "RPC", true},
        {"Skin", "PlimBase", true},
        {"Sound", "PlimBase", false},
        {"SoundChannel", "PlimBase", false},
        {"Texture", "PlimBase", false},
        {"TimeKeeper", "", false},
        {"Plim", "", false},
        {"PlimAudio", "", false},
        {"PlimBase", "BasicLink", true},
        {"_ae3f6255", "RPC", true},
        {"_02468b57", "RPC", true},
        {"_98af025c", "RPC", true},
        {"_67719ab0", "RPC", true},
        {"_9a4605a1", "RPC", true},
        {"_21ae2a05", "RPC", true},
        {"_7b13321b", "RPC", true},
        {"PlimGraphics", "", false},
        {"PlimInput", "", false},
        {"PlimNetwork", "", false},
        {"VertexBuffer", "PlimBase", true},
    };
    Plim* engine = new Plim(Plim::Bare{});
    RuntimeClassManager* m = RuntimeClassManager::getInstance();
    ASSERT_EQ(int(sizeof rows / sizeof rows[0]), PLIM_CLASS_COUNT);
    for (const Row& row : rows) {
        RuntimeClass* found = nullptr;
        for (RuntimeClass* c = m->firstClass; c; c = c->next)
            if (c->name == row.name) found = c;
        ASSERT_NE(found, nullptr) << row.name;
        EXPECT_EQ(found->parent ? std::string(found->parent->name.c_str()) : std::string(), row.base)
            << row.name;
        EXPECT_EQ(found->factory != nullptr, row.factory) << row.name;
    }
    delete engine;
    PLIM = nullptr;
}

// The engine's own records, as a program that links only the engine has them.
TEST(RuntimeClassManager, EngineRegistryDump) {
    Plim* engine = new Plim(Plim::Bare{});
    RuntimeClassManager* m = RuntimeClassManager::getInstance();
    EXPECT_EQ(m->getNumClasses(), PLIM_CLASS_COUNT);
    RuntimeClass::buildIndex();
    EXPECT_FALSE(m->bBadClasses);
    ASSERT_EQ((int)m->classArray.size(), PLIM_CLASS_COUNT);

    std::vector<std::string> lines;
    for (RuntimeClass* c : m->classArray)
        lines.push_back(c->describe().c_str());
    EXPECT_EQ(lines.front(), "0 (1d88b430): BasicLink");
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        std::to_string(PlimBase::runtimeClass.index) + " (4aec1d8d): PlimBase"),
              lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        std::to_string(Plim::runtimeClass.index) + " (002db7b2): Plim"),
              lines.end());
    for (size_t i = 1; i < m->classArray.size(); ++i) {
        const RuntimeClass* c = m->classArray[i];
        EXPECT_LT(std::string(m->classArray[i - 1]->name.c_str()), c->name.c_str());
        char expected[300];
        // Fixed-id classes are named "_" and their id; the others hash their name.
        uint32_t id = c->name[0] == '_' ? (uint32_t)strtoul(c->name.c_str() + 1, nullptr, 16)
                                        : RuntimeClass::hashName(c->name.c_str());
        snprintf(expected, sizeof expected, "%d (%08x): %s", (int)i, id, c->name.c_str());
        EXPECT_EQ(lines[i], expected);
    }
    EXPECT_EQ(RuntimeClass::findById(0x4AEC1D8Du), &PlimBase::runtimeClass);
    EXPECT_EQ(engine->getClass()->parent, nullptr);
    EXPECT_EQ(PlimBase::runtimeClass.parent, &BasicLink::runtimeClass);

    delete engine; // a second engine registers nothing twice
    engine = new Plim(Plim::Bare{});
    EXPECT_EQ(m->getNumClasses(), PLIM_CLASS_COUNT);
    delete engine;
    PLIM = nullptr;
}
