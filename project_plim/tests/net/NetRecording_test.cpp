// Recording and playback: the header, records flushed as they go, the
// recorded pace, snapshots larger than one packet, and damaged files (cut at
// every byte, another build, impossible lengths, commands that cannot run)
// that end the playback cleanly.
#include "EngineTestFolder.h"
#include "serial/Packet.h"
#include "core/Plim.h"
#include "input/PlimInput.h"
#include "render/Renderable.h"
#include "serial/RootObjectBase.h"
#include "RoleTestEngine.h"
#include "core/TimeKeeper.h"
#include "net/NetPlayback.h"
#include "net/NetRecording.h"
#include "net/NetRole.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

typedef std::vector<uint8_t> Bytes;

std::string header(uint32_t host = 0x01020304u) {
    std::string h(52, '\0');
    memcpy(&h[0], "Corvana2demo", 12);
    memcpy(&h[32], "2.60", 4);
    memcpy(&h[48], &host, 4);
    return h;
}

std::string record(double stamp, const Bytes& bytes) {
    std::string r(12, '\0');
    uint32_t n = static_cast<uint32_t>(bytes.size());
    memcpy(&r[0], &stamp, 8);
    memcpy(&r[8], &n, 4);
    return r + std::string(bytes.begin(), bytes.end());
}

// One SPAWNOBJ of PlimBase.
const Bytes SPAWN{0x00, RoleTestEngine::INDEX_PLIMBASE};

class NetRecordingTest : public ::testing::Test {
protected:
    void TearDown() override {
        role.reset();
        ReplicationRole::current = nullptr;
    }
    NetRole* makeRole(bool isServer) { return new NetRole("Corvana2demo", NetHost::WIRE_VERSION, "peer", 0, isServer); }
    // A server world: the root, a renderable below it, and n plain objects.
    void buildWorld(int n = 0) {
        role.reset(makeRole(true));
        role->setHostUID(0x01020304u);
        auto* root = new RootObjectBase();
        role->registerObject(root, 1);
        auto* ship = new Renderable();
        role->registerObject(ship, 0);
        root->addChild(ship);
        for (int i = 0; i < n; ++i) {
            PlimBase* o = new PlimBase();
            role->registerObject(o, 0);
            root->addChild(o);
        }
    }
    void play(const std::string& file) {
        role.reset(makeRole(false));
        role->startPlayback(UString(file.c_str()));
    }
    // Frames a little longer than the network tick, so each one ticks.
    void tick() { net.tickRoles(0.06, role.get()); }

    RoleTestEngine net;
    std::unique_ptr<NetRole> role;
};

TEST_F(NetRecordingTest, AnIdleRecordingReplaysInTheFirstTick) {
    buildWorld();
    double started = PLIM->timeKeeper->getTime();
    role->startRecording("idle.rec");
    Packet snapshot(Packet::FLAG_FILTER1, -1);
    role->writeSnapshot(&snapshot);
    // Flushed: the file is whole while the role still records.
    std::string file = EngineTestFolder::readFile("idle.rec");
    ASSERT_EQ(file.size(), 52u + 12u + snapshot.getLength());
    EXPECT_EQ(file.substr(0, 52), header());
    double stamp;
    uint32_t length;
    memcpy(&stamp, &file[52], 8);
    memcpy(&length, &file[60], 4);
    EXPECT_EQ(stamp, started);
    EXPECT_EQ(length, static_cast<uint32_t>(snapshot.getLength()));
    EXPECT_EQ(file.substr(64), std::string(reinterpret_cast<char*>(snapshot.buffer), snapshot.getLength()));
    size_t objects = role->objectMap.size();
    role.reset();

    play("idle.rec");
    EXPECT_EQ(role->getHostUID(), 0x01020304u);
    tick();
    EXPECT_EQ(role->objectMap.size(), objects);
    ASSERT_NE(role->root, nullptr);
    EXPECT_EQ(role->root->getNumChildren(), 1u);
    EXPECT_EQ(role->quitReason, NetRole::QUIT_PLAYBACK_FINISHED);
    EXPECT_EQ(role->getStatusText(), UString("Playback finished."));

    // A client records what it executes, empty packets too.
    role->startRecording("client.rec");
    Packet empty(Packet::FLAG_FILTER1, 0);
    empty.rewindToRead();
    empty.time = 42.0;
    role->processPacket(&empty);
    file = EngineTestFolder::readFile("client.rec");
    EXPECT_EQ(file.substr(file.size() - 12), record(42.0, {}));
}

TEST_F(NetRecordingTest, PacketsComeAtTheRecordedPace) {
    EngineTestFolder::writeFile("close.rec", header() + record(100.0, {}) + record(100.01, SPAWN) +
                                                 record(100.02, SPAWN) + record(100.03, SPAWN));
    play("close.rec");
    for (size_t expected : {0u, 1u, 2u, 3u}) {
        tick();
        EXPECT_EQ(role->objectMap.size(), expected);
    }
    EXPECT_EQ(role->quitReason, NetRole::QUIT_PLAYBACK_FINISHED);

    EngineTestFolder::writeFile("far.rec", header() + record(100.0, {}) + record(102.0, SPAWN));
    play("far.rec");
    double start = PLIM->timeKeeper->getTime();
    int ticks = 0;
    while (role->objectMap.empty() && ticks < 100) {
        tick();
        ++ticks;
    }
    EXPECT_GE(PLIM->timeKeeper->getTime() - start, 2.0 - 1e-9);
    EXPECT_LT(PLIM->timeKeeper->getTime() - start, 2.06 + 1e-9);
    EXPECT_EQ(role->quitReason, NetRole::QUIT_PLAYBACK_FINISHED);
}

TEST_F(NetRecordingTest, HoldingF11SkipsTheGaps) {
    PLIM->input = new PlimInput();
    EngineTestFolder::writeFile("slow.rec", header() + record(100.0, {}) + record(110.0, SPAWN) + record(120.0, SPAWN));
    play("slow.rec");
    PLIM->input->keysNow[KEY_F11] = 1;
    tick();
    tick();
    EXPECT_EQ(role->objectMap.size(), 1u);
    // Released, the skipped gaps stay skipped.
    PLIM->input->keysNow[KEY_F11] = 0;
    tick();
    EXPECT_EQ(role->objectMap.size(), 2u);
    EXPECT_EQ(role->quitReason, NetRole::QUIT_PLAYBACK_FINISHED);
}

TEST_F(NetRecordingTest, ASnapshotLargerThanAPacketTakesSeveralRecords) {
    buildWorld(20000);
    role->startRecording("big.rec");
    size_t objects = role->objectMap.size();
    role.reset();
    std::string file = EngineTestFolder::readFile("big.rec");
    int records = 0;
    for (size_t at = 52; at + 12 <= file.size(); ++records) {
        uint32_t n;
        memcpy(&n, &file[at + 8], 4);
        EXPECT_LE(n, 65536u);
        at += 12 + n;
    }
    EXPECT_GT(records, 1);
    play("big.rec");
    for (int i = 0; i < records; ++i)
        tick();
    EXPECT_EQ(role->objectMap.size(), objects);
    EXPECT_EQ(role->root->getNumChildren(), objects - 1);
    EXPECT_EQ(role->quitReason, NetRole::QUIT_PLAYBACK_FINISHED);
}

TEST_F(NetRecordingTest, DamagedFilesEndThePlaybackCleanly) {
    const std::string good = header() + record(100.0, {}) + record(100.01, SPAWN) + record(100.02, SPAWN);
    // Cut at every byte: only whole records run, and the playback finishes.
    for (size_t cut = 0; cut < good.size(); ++cut) {
        EngineTestFolder::writeFile("cut.rec", good.substr(0, cut));
        play("cut.rec");
        for (int i = 0; i < 4; ++i)
            tick();
        size_t whole = cut < 52 + 12 + 12 + 2 ? 0 : (cut < 52 + 12 + 2 * 14 ? 1 : 2);
        EXPECT_EQ(role->objectMap.size(), whole) << cut;
        EXPECT_EQ(role->quitReason, NetRole::QUIT_PLAYBACK_FINISHED) << cut;
    }
    LogText log = net.log();
    EXPECT_GE(log.find("NetPlayback(): Playback of cut.rec ends at byte 0: header cut short."), 0);
    EXPECT_GE(log.find("NetPlayback(): Playback of cut.rec ends at byte 52: record cut short."), 0);
    EXPECT_GE(log.find("NetPlayback(): Playback of cut.rec ends at byte 78: record cut short."), 0);

    std::string otherGame = good, otherVersion = good;
    otherGame[3] ^= 0x20;
    otherVersion[34] = '7';
    EngineTestFolder::writeFile("game.rec", otherGame);
    EngineTestFolder::writeFile("version.rec", otherVersion);
    std::string tooLong = header() + record(100.0, {});
    tooLong.replace(60, 4, std::string("\x01\x00\x01\x00", 4));
    EngineTestFolder::writeFile("long.rec", tooLong);
    // A copy of an object nobody made.
    EngineTestFolder::writeFile("bad.rec", header() + record(100.0, SPAWN) + record(100.01, {0x02, 0x63}) +
                                               record(100.02, SPAWN));
    for (const char* name : {"game.rec", "version.rec", "long.rec", "bad.rec", "missing.rec"}) {
        play(name);
        tick();
        tick();
        tick();
        EXPECT_EQ(role->quitReason, NetRole::QUIT_PLAYBACK_FINISHED) << name;
        EXPECT_LE(role->objectMap.size(), 1u) << name;
    }
    log = net.log();
    EXPECT_GE(log.find("NetPlayback(): Playback of game.rec ends at byte 0: recorded by another game."), 0);
    EXPECT_GE(log.find("NetPlayback(): Playback of version.rec ends at byte 32: recorded by another version."), 0);
    EXPECT_GE(log.find("NetPlayback(): Playback of long.rec ends at byte 52: record longer than 65536 bytes."), 0);
    EXPECT_GE(log.find("NetPlayback(): Playback of bad.rec ends at byte 66: COPYOBJ of unregistered UID 99."), 0);
}

TEST_F(NetRecordingTest, DeletingTheRoleClosesTheRecordingAndReleasesTheWorld) {
    buildWorld(3);
    role->startRecording("end.rec");
    ReplicationRole::current = role.get();
    role.reset();
    EXPECT_EQ(ReplicationRole::current, nullptr);
    EXPECT_GT(EngineTestFolder::readFile("end.rec").size(), 64u);

    // Objects made by commands that never got a parent go with their role.
    role.reset(makeRole(false));
    Packet p(Packet::FLAG_FILTER1, 4);
    for (uint8_t b : {0x00, 0x0F, 0x0F, 0x0F})
        p.doBytes(&b, 1);
    p.rewindToRead();
    role->processPacket(&p);
    EXPECT_EQ(role->objectMap.size(), 3u);
    role.reset();
}

} // namespace
