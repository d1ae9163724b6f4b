#include "files/Md5.h"

#include "TempFolder.h"
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace {
UString hexOf(const std::string& s) {
    uint8_t d[16];
    md5Digest(d, s.data(), int(s.size()));
    return md5DigestToHex(d);
}

// The system's md5sum of the bytes, through a temporary file.
std::string md5sumOf(const std::vector<uint8_t>& bytes) {
    std::string path = tempPath("plim_md5_" + std::to_string(getpid()));
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return "";
    if (!bytes.empty()) fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
    FILE* p = popen(("md5sum " + path).c_str(), "r");
    char hex[33] = {0};
    if (p) {
        if (fread(hex, 1, 32, p) != 32) hex[0] = 0;
        pclose(p);
    }
    std::remove(path.c_str());
    return hex;
}
}  // namespace

TEST(Md5, Rfc1321Suite) {
    EXPECT_EQ(hexOf(""), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(hexOf("a"), "0cc175b9c0f1b6a831c399e269772661");
    EXPECT_EQ(hexOf("abc"), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(hexOf("message digest"), "f96b697d7cb7938d525a2f31aaf161d0");
    EXPECT_EQ(hexOf("abcdefghijklmnopqrstuvwxyz"), "c3fcd3d76192e4007dfb496cca67e13b");
    EXPECT_EQ(hexOf("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"),
              "d174ab98d277d9f5a5611c2c9f419d9f");
    EXPECT_EQ(hexOf("12345678901234567890123456789012345678901234567890123456789012345678901234567890"),
              "57edf4a22be3c955ac49da2e2107b67a");
}

TEST(Md5, MatchesMd5sumForAnyLengthAndSplit) {
    std::vector<size_t> lengths;
    for (size_t n = 0; n <= 130; ++n) lengths.push_back(n);
    for (size_t n : {1000u, 4095u, 4096u, 100003u}) lengths.push_back(n);
    uint32_t seed = 12345;
    for (size_t n : lengths) {
        std::vector<uint8_t> bytes(n);
        for (uint8_t& b : bytes) b = uint8_t((seed = seed * 1103515245u + 12345u) >> 16);
        std::string expected = md5sumOf(bytes);
        ASSERT_EQ(expected.size(), 32u) << "md5sum failed";

        uint8_t whole[16], pieces[16];
        md5Digest(whole, bytes.data(), int(n));
        EXPECT_EQ(md5DigestToHex(whole), expected.c_str()) << "length " << n;

        // The same bytes fed in uneven pieces, with empty and negative updates.
        Md5Context c;
        md5Init(c);
        size_t at = 0;
        for (size_t step = 1; at < n; step = step * 3 % 97 + 1) {
            size_t take = std::min(step, n - at);
            md5Update(c, bytes.data() + at, int(take));
            md5Update(c, bytes.data(), 0);
            md5Update(c, bytes.data(), -5);
            at += take;
        }
        md5Final(c, pieces);
        EXPECT_TRUE(md5DigestEqual(whole, pieces)) << "length " << n;
    }
}

TEST(Md5, KeyedDigestAndHelpers) {
    const char data[] = "payload";
    uint8_t keyed[16], plain[16];
    md5DigestWithKey(keyed, 0x04030201u, data, 7);
    md5Digest(plain, "\x01\x02\x03\x04payload", 11);
    EXPECT_TRUE(md5DigestEqual(keyed, plain));

    plain[15] ^= 1;
    EXPECT_FALSE(md5DigestEqual(keyed, plain));
    md5DigestClear(plain);
    EXPECT_EQ(md5DigestToHex(plain), "00000000000000000000000000000000");
}
