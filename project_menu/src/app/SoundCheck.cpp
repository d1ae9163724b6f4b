#include "SoundCheck.h"

#include "OggPages.h"
#include "StartLimits.h"
#include "VorbisBooks.h"

#include <algorithm>
#include <cstring>
#include <ogg/ogg.h>
#include <vector>

namespace {

// Identification, comment and setup, the stream's first three packets.
constexpr int HEADERS = 3;
const char* const HEADER_NAMES[HEADERS] = {"identification", "comment", "setup"};
// The identification header: type 1, "vorbis", a version, then the count
// of channels.
constexpr size_t CHANNELS_AT = 11;
constexpr uint8_t IDENTIFICATION_TYPE = 1;
// Bytes handed to libogg at a time while it looks for the headers.
constexpr int FEED_BYTES = 64 * 1024;

// The first stream's first packets, at most HEADERS, as libogg reads them
// from data; *pages counts the pages it found.
std::vector<std::vector<uint8_t>> headerPackets(const uint8_t* data, int size, int* pages) {
    ogg_sync_state sync;
    ogg_sync_init(&sync);
    ogg_stream_state stream;
    std::vector<std::vector<uint8_t>> packets;
    ogg_page page;
    ogg_packet packet;
    *pages = 0;
    for (int fed = 0; packets.size() < size_t(HEADERS);) {
        const int found = ogg_sync_pageout(&sync, &page);
        if (found == 0 && fed == size) break;
        if (found == 0) {
            const int count = std::min(FEED_BYTES, size - fed);
            memcpy(ogg_sync_buffer(&sync, count), data + fed, size_t(count));
            ogg_sync_wrote(&sync, count);
            fed += count;
            continue;
        }
        if (found < 0) continue;
        if ((*pages)++ == 0) ogg_stream_init(&stream, ogg_page_serialno(&page));
        if (ogg_stream_pagein(&stream, &page) != 0) continue;
        while (packets.size() < size_t(HEADERS) && ogg_stream_packetout(&stream, &packet) == 1)
            packets.emplace_back(packet.packet, packet.packet + packet.bytes);
    }
    if (*pages) ogg_stream_clear(&stream);
    ogg_sync_clear(&sync);
    return packets;
}

const char* soundOf(SoundCheck::Use use) { return use == SoundCheck::Use::MUSIC ? "music" : "a sound"; }

} // namespace

UString SoundCheck::headerProblem(const uint8_t* data, int size, bool whole) {
    int pages = 0;
    const std::vector<std::vector<uint8_t>> headers = headerPackets(data, size, &pages);
    const std::vector<uint8_t>& first = headers.empty() ? std::vector<uint8_t>() : headers[0];
    if (first.size() > CHANNELS_AT && first[0] == IDENTIFICATION_TYPE && memcmp(&first[1], "vorbis", 6) == 0 &&
        first[CHANNELS_AT] != 1 && first[CHANNELS_AT] != 2)
        return UString::format("it has %d channels, and a sound may have one or two", first[CHANNELS_AT]);
    if (headers.size() > 1 && int64_t(headers[1].size()) > StartLimits::MAX_COMMENT_BYTES)
        return UString::format("its comment header takes %zu bytes, more than the %lld a sound may use",
                               headers[1].size(), (long long)StartLimits::MAX_COMMENT_BYTES);
    // Bytes that hold no page, or a stream cut short, are told by the
    // decoder and the page walk.
    if (headers.size() < size_t(HEADERS))
        return whole || pages == 0 ? UString()
                                   : UString::format("its %s header does not end within its first %d bytes",
                                                     HEADER_NAMES[headers.size()], size);
    return VorbisBooks::problem(headers[2]);
}

UString SoundCheck::pageProblem(const uint8_t* data, int size, Use use) {
    const int64_t maxFrames = use == Use::MUSIC ? StartLimits::MAX_MUSIC_FRAMES : StartLimits::MAX_EFFECT_FRAMES;
    return OggPages::problem(data, size, maxFrames, soundOf(use));
}

SoundCheck::Read SoundCheck::read(const UString& name, Use use) {
    Read sound;
    sound.file.reset(new MemoryFile(name, StartLimits::SOUND_HEADER_BYTES, &sound.why));
    // A shorter sound is whole already.
    const bool whole = sound.file->size < StartLimits::SOUND_HEADER_BYTES;
    sound.unread = sound.file->bUnread;
    if (!sound.unread) sound.why = headerProblem(sound.file->data, sound.file->size, whole);
    if (!whole && sound.why.isEmpty() && !sound.unread) {
        sound.file.reset();
        sound.file.reset(new MemoryFile(name, &sound.why));
        sound.unread = sound.file->bUnread;
    }
    if (sound.why.isEmpty() && !sound.unread) sound.why = pageProblem(sound.file->data, sound.file->size, use);
    return sound;
}
