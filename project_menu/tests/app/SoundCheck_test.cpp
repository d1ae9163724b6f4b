// The start's check of a sound's layout, on files the tests encode and then
// chain, cut, damage or rewrite.
#include "OggFixture.h"
#include "app/SoundCheck.h"
#include "app/StartLimits.h"

#include <gtest/gtest.h>

#include <fnmatch.h>

namespace {

// What the check says of the whole file, read as use.
std::string check(const std::string& ogg, SoundCheck::Use use = SoundCheck::Use::EFFECT) {
    const uint8_t* data = reinterpret_cast<const uint8_t*>(ogg.data());
    UString why = SoundCheck::headerProblem(data, int(ogg.size()), true);
    return (why.isEmpty() ? SoundCheck::pageProblem(data, int(ogg.size()), use) : why).str();
}

// A file of two chained streams, cut short, with bytes or a page after its
// last page, damaged in many places or at its end, of packets that decode to
// nothing, of three channels, a long comment or a code book too large, or
// claiming more frames than its packets give or its use allows, is refused
// before the decoder opens it (which reads every stream's headers, searches
// backwards for the last page, decodes every packet and makes tables for
// every book, in part on the stack).
TEST(SoundCheck, FilesCostlierThanTheirSoundAreRefused) {
    const std::string ogg = OggFixture::encode(OggFixture::sine(1, 30000, 22050, 300.0f, 0.5f), 1, 22050);
    const size_t last = ogg.rfind("OggS"), beforeLast = ogg.rfind("OggS", last - 1);
    std::string damaged = ogg, fake = "OggS" + std::string(23, '\0'), damagedEnd = ogg;
    for (int i = 0; i < 65; ++i) damaged.insert(last, fake);
    damagedEnd[last - 1] ^= 1, damagedEnd[ogg.size() - 1] ^= 1;
    const std::pair<std::string, std::string> cases[] = {
        {OggFixture::chain(ogg, 2), "it holds more than one Ogg stream (a second begins at byte " +
                                        std::to_string(ogg.size()) + "), and a sound may hold one"},
        {ogg.substr(0, ogg.size() - 1), "it is cut short: its last page, at byte " + std::to_string(last) + ", is not whole"},
        {ogg.substr(0, last), "it is cut short: its last page, at byte " + std::to_string(beforeLast) +
                                  ", does not end its stream"},
        {ogg + std::string(100, '\0'), "its last 100 bytes are no Ogg page"},
        {ogg + ogg.substr(last), "a page follows the end of its stream (the page at byte * ends it, another begins at byte *)"},
        {damaged, "it is damaged in more than 64 places"},
        {damagedEnd, "it is damaged at its end: 2 pages from byte " + std::to_string(beforeLast) + " on fail their checksums"},
        {OggFixture::rewritten(ogg, "", 2000), "it holds 20* packets, more than the * its length can use"},
        {OggFixture::encode(OggFixture::sine(3, 2000, 22050, 300.0f, 0.5f), 3, 22050), "it has 3 channels, and a sound may have one or two"},
        {OggFixture::rewritten(ogg, "\x03vorbis" + std::string(StartLimits::MAX_COMMENT_BYTES, 'x'), 0, 2), "its comment header takes 65543 bytes, more than the 65536 a sound may use"},
        {OggFixture::withLength(ogg, 1 << 21), "it claims 2097152 frames, more than its * packets can give"},
        {OggFixture::withBooks(ogg, {{1, 65537, 0}}), "it declares a code book of 65537 entries, more than the 65536 a sound may use"},
        {OggFixture::withBooks(ogg, std::vector<OggFixture::Book>(5, {1, 65536, 0})), "its code books declare more than 262144 entries together"},
        {OggFixture::withBooks(ogg, {{5, 65536, 2}}), "its code books hold more than 262144 values together"}};
    for (const auto& [bytes, why] : cases) {
        EXPECT_EQ(fnmatch(why.c_str(), check(bytes).c_str(), 0), 0) << check(bytes);
        EXPECT_EQ(check(bytes, SoundCheck::Use::MUSIC), check(bytes));
    }
    EXPECT_EQ(check(OggFixture::withLength(ogg, 100000000)), "it lasts 100000000 frames, more than the 2097152 a sound may last");
    EXPECT_EQ(check(OggFixture::withLength(OggFixture::rewritten(ogg, "", 1000000), INT32_MAX), SoundCheck::Use::MUSIC),
              "it lasts 2147483647 frames, more than the 67108864 music may last");
    EXPECT_EQ(SoundCheck::headerProblem(reinterpret_cast<const uint8_t*>(ogg.data()), 100, false),
              UString("its comment header does not end within its first 100 bytes"));
}

} // namespace
