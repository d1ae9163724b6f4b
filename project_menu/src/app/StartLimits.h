#pragma once
// What the start's check (LoaderFileCheck, SoundCheck) lets a data archive's
// files hold, in one place, each with why. Each is checked before the reading
// or decoding it bounds, so that an archive past one is refused in one line,
// quickly and in little memory, rather than costing every start, or the
// audio thread in play, what a crafted file can make it cost. The engine's
// readers hold their own limits at every read, not only the start's: an
// archive's entries and records (WadDirectory), a side file's sub-images
// (SkinList) and a font's symbols (FontQuad).
#include <cstdint>

struct StartLimits {
    // All the files the start reads, pictures, side files, sounds and music,
    // together (the game's come to 8 MB): the check reads each of them once
    // or twice, the loader once more, and the music stays in memory while it
    // plays.
    static constexpr int64_t MAX_READ_BYTES = int64_t(64) << 20;
    // The side files the start reads, together (the game's come to 70 KB):
    // each line becomes a key, each sub-image a quad, in memory.
    static constexpr int64_t MAX_SIDE_FILE_BYTES = int64_t(1) << 20;
    // What the start decodes whole, every picture's pixels and every effect's
    // samples at four bytes each, at most: the game's own come to 11 MB, and
    // the start decodes them twice (this check, then the loader).
    static constexpr int64_t MAX_DECODED_BYTES = int64_t(32) << 20;

    // A sound effect's frames: each one is decoded whole, twice, at every
    // start. 2^21 frames: 95 s at 22,050 Hz, 48 s at 44,100 Hz; the game's
    // longest effect has 132,300.
    static constexpr int64_t MAX_EFFECT_FRAMES = int64_t(1) << 21;
    // A piece of music's frames: it is decoded block by block as it plays,
    // and its packets with it, so its length bounds the work of a loop.
    // 2^26 frames: 50 min at 22,050 Hz, 25 min at 44,100 Hz (64 MiB of the
    // encoder's richest stereo lasts 18 min); the game's two last 28 and 34 s.
    static constexpr int64_t MAX_MUSIC_FRAMES = int64_t(1) << 26;

    // Every Vorbis audio packet after the first gives at least 32 frames
    // (half the shortest block) and at most 4,096 (half the longest); a
    // sound may hold no more packets than its length can use, besides its
    // three headers, the first audio page's 255 at most and a last block's
    // worth cut from the end. Packets that give nothing cost the decoder time
    // all the same.
    static constexpr int64_t MIN_PACKET_FRAMES = 32;
    static constexpr int64_t MAX_PACKET_FRAMES = 4096;
    static constexpr int64_t PACKETS_BESIDES = 3 + 255 + MAX_PACKET_FRAMES / MIN_PACKET_FRAMES + 1;
    // So the packets a piece of music may hold at most (2,097,536).
    static constexpr int64_t MAX_MUSIC_PACKETS = MAX_MUSIC_FRAMES / MIN_PACKET_FRAMES + PACKETS_BESIDES;

    // Pages whose checksum fails may be met where a stretch is damaged; each
    // costs the decoder a checksum over up to 64 KB before it looks on from
    // the next byte, so a file of them is refused.
    static constexpr int MAX_DAMAGED_PAGES = 64;

    // A sound's three headers (identification, comment, code books) must end
    // within its first MiB: they are weighed on those bytes alone, before
    // the rest is inflated or the decoder, which holds each header whole,
    // opens it. Books at the limits below take about 750 KB; the game's
    // headers take 4 KB.
    static constexpr int SOUND_HEADER_BYTES = 1 << 20;
    // The comment header (the encoder's name and tags: the game's hold
    // under 100 bytes), held whole in memory by the decoder.
    static constexpr int64_t MAX_COMMENT_BYTES = int64_t(64) << 10;
    // Code books: the decoder makes tables for every book as it starts, part
    // of them on the stack, so a book of a million entries, a few bytes in
    // the header, ends the program, and a header of large books takes
    // gigabytes. Far above what encoders write (6,561 entries in a book,
    // 10,400 in all, 8,500 values).
    static constexpr int64_t MAX_BOOK_ENTRIES = 1 << 16;
    static constexpr int64_t MAX_ENTRIES = 1 << 18;  // all books together
    static constexpr int64_t MAX_VALUES = 1 << 18;   // entries times dimensions of books with values
};
