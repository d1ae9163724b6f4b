#pragma once
// Ogg Vorbis files encoded on the spot with libvorbisenc, so audio tests play
// real encoded sounds of a known shape at the rates and channel counts they
// need.
#include <cstdint>
#include <string>
#include <vector>

class OggFixture {
public:
    // The bytes of an Ogg Vorbis file holding the interleaved samples
    // (channels values per frame) at rate Hz.
    static std::string encode(const std::vector<float>& interleaved, int channels, int rate);
    // links copies of an Ogg file chained, each a stream of its own serial
    // number, as a chained file of many short sounds is.
    static std::string chain(const std::string& ogg, int links);
    // The file with packet replaced (counted from 1; the third is the setup
    // header) by replacement unless it is empty, and emptyPackets packets
    // that decode to nothing on pages of their own after the page that ends
    // packet emptyAfter.
    static std::string rewritten(const std::string& ogg, const std::string& replacement, int emptyPackets,
                                 int replaced = 3, int emptyAfter = 3);
    // The file with the granule position of its last page set to frames, and
    // that page's checksum made to match.
    static std::string withLength(std::string ogg, uint64_t frames);
    // A code book of the given dimensions, entries (all of one length) and
    // kind of values.
    struct Book {
        int dimensions, entries, values;
    };
    // The file with a setup header of these code books and nothing after them.
    static std::string withBooks(const std::string& ogg, const std::vector<Book>& books);
    // frames of a sine per channel: channel c at hertz * (c + 1).
    static std::vector<float> sine(int channels, int frames, int rate, float hertz, float amplitude);
    // frames of a square wave, the same on every channel.
    static std::vector<float> square(int channels, int frames, int rate, float hertz, float amplitude);
    // Encodes a sine and writes it to path.
    static void writeSine(const std::string& path, int channels, int frames, int rate,
                          float hertz = 440.0f, float amplitude = 0.5f);
};
