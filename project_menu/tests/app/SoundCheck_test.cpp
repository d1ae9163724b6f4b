// The start's check of a sound's layout, on files the tests encode and then
// chain, cut, damage or rewrite: each is refused in its own words before any
// decoder opens it.
#include "OggFixture.h"
#include "app/SoundCheck.h"
#include "app/StartLimits.h"

#include <gtest/gtest.h>

#include <fnmatch.h>

namespace {

using Use = SoundCheck::Use;

// What the check says of the whole file as one use.
std::string check(const std::string& ogg, Use use = Use::EFFECT) {
    const uint8_t* data = reinterpret_cast<const uint8_t*>(ogg.data());
    UString why = SoundCheck::headerProblem(data, int(ogg.size()), true);
    if (why.isEmpty()) why = SoundCheck::pageProblem(data, int(ogg.size()), use);
    return why.str();
}

const std::string& mono() {
    static const std::string ogg = OggFixture::encode(OggFixture::sine(1, 30000, 22050, 300.0f, 0.5f), 1, 22050);
    return ogg;
}

// A file of two chained streams, cut short, with bytes after its last page,
// damaged in many places, of packets that decode to nothing, or of a code
// book too large is refused (the decoder would read every stream's headers,
// search backwards for the last page, decode every packet and make tables
// for every book, in part on the stack), effect and music alike.
TEST(SoundCheck, FilesCostlierThanTheirSoundAreRefused) {
    const std::string& ogg = mono();
    const size_t last = ogg.rfind("OggS"), beforeLast = ogg.rfind("OggS", last - 1);
    std::string damaged = ogg, fake = "OggS" + std::string(23, '\0');
    for (int i = 0; i < 65; ++i) damaged.insert(last, fake);
    using Book = OggFixture::Book;
    const std::pair<std::string, std::string> cases[] = {
        {OggFixture::chain(ogg, 2), "it holds more than one Ogg stream (a second begins at byte " +
                                        std::to_string(ogg.size()) + "), and a sound may hold one"},
        {ogg.substr(0, ogg.size() - 1), "it is cut short: its last page, at byte " + std::to_string(last) + ", is not whole"},
        {ogg.substr(0, last), "it is cut short: its last page, at byte " + std::to_string(beforeLast) +
                                  ", does not end its stream"},
        {ogg + std::string(100, '\0'), "its last 100 bytes are no Ogg page"},
        {damaged, "it is damaged in more than 64 places"},
        {OggFixture::rewritten(ogg, "", 2000), "it holds 20* packets, more than the * its length can use"},
        {OggFixture::withBooks(ogg, {{1, 65537, 0}}), "it declares a code book of 65537 entries, more than the 65536 a sound may use"},
        {OggFixture::withBooks(ogg, std::vector<Book>(5, {1, 65536, 0})), "its code books declare more than 262144 entries together"},
        {OggFixture::withBooks(ogg, {{5, 65536, 2}}), "its code books hold more than 262144 values together"}};
    for (const auto& [bytes, why] : cases) {
        EXPECT_EQ(fnmatch(why.c_str(), check(bytes).c_str(), 0), 0) << check(bytes);
        EXPECT_EQ(check(bytes, Use::MUSIC), check(bytes));
    }
}

// A length is taken from the last page only within the limits of its use and
// of what the packets can give: an effect claiming a hundred million frames,
// music claiming 2^31 - 1 over a million empty packets, and a short effect
// claiming its limit are refused; a fair claim passes.
TEST(SoundCheck, ALengthIsBoundedByTheLimitsAndThePackets) {
    const std::string ogg = OggFixture::encode(OggFixture::sine(1, 400000, 22050, 300.0f, 0.5f), 1, 22050);
    EXPECT_EQ(check(OggFixture::withLength(ogg, 100000000)), "it lasts 100000000 frames, more than the 2097152 a sound may last");
    EXPECT_EQ(check(OggFixture::withLength(OggFixture::rewritten(ogg, "", 1000000), INT32_MAX), Use::MUSIC),
              "it lasts 2147483647 frames, more than the 67108864 music may last");
    EXPECT_EQ(fnmatch("it claims 2097152 frames, more than its * packets can give",
                      check(OggFixture::withLength(mono(), StartLimits::MAX_EFFECT_FRAMES)).c_str(), 0), 0);
    EXPECT_EQ(check(OggFixture::withLength(ogg, 450000)), "");
}

// A whole page after the one that ends the stream, and damaged pages at the
// end, are told as such.
TEST(SoundCheck, WhatFollowsTheLastWholePageIsNamed) {
    const std::string& ogg = mono();
    const size_t last = ogg.rfind("OggS");
    EXPECT_EQ(check(ogg + ogg.substr(last)), "a page follows the end of its stream (the page at byte " +
                                                 std::to_string(last) + " ends it, another begins at byte " +
                                                 std::to_string(ogg.size()) + ")");
    std::string damaged = ogg;
    const size_t beforeLast = ogg.rfind("OggS", last - 1);
    damaged[last - 1] ^= 1, damaged[ogg.size() - 1] ^= 1;
    EXPECT_EQ(check(damaged), "it is damaged at its end: 2 pages from byte " + std::to_string(beforeLast) +
                                  " on fail their checksums");
}

// The headers are weighed on the first bytes alone: channels, the comment's
// length, and headers that do not end within them.
TEST(SoundCheck, HeadersAreWeighedOnTheFirstBytes) {
    const std::string three = OggFixture::encode(OggFixture::sine(3, 2000, 22050, 300.0f, 0.5f), 3, 22050);
    EXPECT_EQ(check(three), "it has 3 channels, and a sound may have one or two");
    const std::string comment = "\x03vorbis" + std::string(StartLimits::MAX_COMMENT_BYTES, 'x');
    EXPECT_EQ(check(OggFixture::rewritten(mono(), "", 0, comment)),
              "its comment header takes 65543 bytes, more than the 65536 a sound may use");
    const std::string& ogg = mono();
    EXPECT_EQ(SoundCheck::headerProblem(reinterpret_cast<const uint8_t*>(ogg.data()), 100, false),
              UString("its comment header does not end within its first 100 bytes"));
}

} // namespace
