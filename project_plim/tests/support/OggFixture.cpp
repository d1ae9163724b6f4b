#include "OggFixture.h"
#include "util/PlimMath.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <vorbis/vorbisenc.h>

namespace {

void appendPage(std::string& out, const ogg_page& page) {
    out.append(reinterpret_cast<const char*>(page.header), page.header_len);
    out.append(reinterpret_cast<const char*>(page.body), page.body_len);
}

// Each whole page of the Ogg file, in order.
void forEachPage(const std::string& ogg, const std::function<void(ogg_page&)>& take) {
    ogg_sync_state sync;
    ogg_sync_init(&sync);
    memcpy(ogg_sync_buffer(&sync, long(ogg.size())), ogg.data(), ogg.size());
    ogg_sync_wrote(&sync, long(ogg.size()));
    ogg_page page;
    while (ogg_sync_pageout(&sync, &page) == 1) take(page);
    ogg_sync_clear(&sync);
}

} // namespace

std::string OggFixture::encode(const std::vector<float>& interleaved, int channels, int rate) {
    vorbis_info vi;
    vorbis_info_init(&vi);
    if (vorbis_encode_init_vbr(&vi, channels, rate, 0.5f) != 0) abort();
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_dsp_state vd;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block vb;
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, 1234 + channels + rate);

    std::string out;
    ogg_packet header, comments, codebooks;
    vorbis_analysis_headerout(&vd, &vc, &header, &comments, &codebooks);
    ogg_stream_packetin(&os, &header);
    ogg_stream_packetin(&os, &comments);
    ogg_stream_packetin(&os, &codebooks);
    ogg_page page;
    while (ogg_stream_flush(&os, &page)) appendPage(out, page);

    auto drain = [&]() {
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&vd, &packet)) {
                ogg_stream_packetin(&os, &packet);
                while (ogg_stream_pageout(&os, &page)) appendPage(out, page);
            }
        }
    };
    const int frames = int(interleaved.size()) / channels;
    const int chunk = 1024;
    for (int at = 0; at < frames; at += chunk) {
        int n = frames - at < chunk ? frames - at : chunk;
        float** buffer = vorbis_analysis_buffer(&vd, n);
        for (int i = 0; i < n; ++i)
            for (int c = 0; c < channels; ++c) buffer[c][i] = interleaved[size_t(at + i) * channels + c];
        vorbis_analysis_wrote(&vd, n);
        drain();
    }
    vorbis_analysis_wrote(&vd, 0); // end of stream
    drain();
    while (ogg_stream_flush(&os, &page)) appendPage(out, page);

    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    return out;
}

std::vector<float> OggFixture::sine(int channels, int frames, int rate, float hertz, float amplitude) {
    std::vector<float> v(size_t(frames) * channels);
    for (int i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            v[size_t(i) * channels + c] = amplitude * float(std::sin(TWO_PI_DOUBLE * hertz * (c + 1) * i / rate));
    return v;
}

std::vector<float> OggFixture::square(int channels, int frames, int rate, float hertz, float amplitude) {
    std::vector<float> v(size_t(frames) * channels);
    const double period = rate / double(hertz);
    for (int i = 0; i < frames; ++i) {
        float s = std::fmod(i, period) < period / 2 ? amplitude : -amplitude;
        for (int c = 0; c < channels; ++c) v[size_t(i) * channels + c] = s;
    }
    return v;
}

void OggFixture::writeSine(const std::string& path, int channels, int frames, int rate, float hertz,
                           float amplitude) {
    std::ofstream out(path, std::ios::binary);
    out << encode(sine(channels, frames, rate, hertz, amplitude), channels, rate);
}

std::string OggFixture::chain(const std::string& ogg, int links) {
    std::string out;
    for (int link = 0; link < links; ++link)
        forEachPage(ogg, [&](ogg_page& page) {
            for (int i = 0; i < 4; ++i) page.header[14 + i] = uint8_t((0x5e71a1 + link) >> (8 * i));
            ogg_page_checksum_set(&page);
            appendPage(out, page);
        });
    return out;
}

std::string OggFixture::rewritten(const std::string& ogg, const std::string& replacement, int emptyPackets,
                                  int replaced, int emptyAfter) {
    ogg_stream_state in, out;
    ogg_packet packet;
    std::string result;
    int packets = 0;
    bool emptied = false;
    forEachPage(ogg, [&](ogg_page& page) {
        if (packets == 0) {
            ogg_stream_init(&in, ogg_page_serialno(&page));
            ogg_stream_init(&out, ogg_page_serialno(&page));
        }
        ogg_stream_pagein(&in, &page);
        while (ogg_stream_packetout(&in, &packet) == 1) {
            if (++packets == replaced && !replacement.empty()) {
                packet.packet = reinterpret_cast<unsigned char*>(const_cast<char*>(replacement.data()));
                packet.bytes = long(replacement.size());
            }
            ogg_stream_packetin(&out, &packet);
            // Pages end where the file's did, with their positions (the
            // headers on pages of their own).
            const bool ends = packet.granulepos != -1;
            while (ends ? ogg_stream_flush(&out, &page) : ogg_stream_pageout(&out, &page)) appendPage(result, page);
            if (!ends || packets < emptyAfter || emptied) continue;
            emptied = true;
            ogg_packet empty = {nullptr, 0, 0, 0, -1, 0}; // and no position
            for (int i = 0; i < emptyPackets; ++i) {
                ogg_stream_packetin(&out, &empty);
                while (ogg_stream_pageout(&out, &page)) appendPage(result, page);
            }
            while (ogg_stream_flush(&out, &page)) appendPage(result, page);
        }
    });
    ogg_page page;
    while (ogg_stream_flush(&out, &page)) appendPage(result, page);
    ogg_stream_clear(&in);
    ogg_stream_clear(&out);
    return result;
}

std::string OggFixture::withBooks(const std::string& ogg, const std::vector<Book>& books) {
    std::string setup("\x05vorbis", 7);
    size_t bit = 0;
    auto put = [&](uint64_t value, int count) { // from the lowest bit of each byte up
        for (int i = 0; i < count; ++i, ++bit) {
            if (bit % 8 == 0) setup += '\0';
            setup.back() = char(setup.back() | (value >> i & 1) << (bit % 8));
        }
    };
    put(books.size() - 1, 8);
    for (const Book& book : books) {
        int countBits = 0; // the count of a length is read in as many bits as the entries need
        while (book.entries >> countBits) ++countBits;
        put(0x564342, 24), put(book.dimensions, 16), put(book.entries, 24);
        put(1, 1), put(15, 5), put(book.entries, countBits), put(book.values, 4); // one run of length 16
    }
    return rewritten(ogg, setup, 0);
}

std::string OggFixture::withLength(std::string ogg, uint64_t frames) {
    const size_t page = ogg.rfind("OggS");
    for (int i = 0; i < 8; ++i) ogg[page + 6 + i] = char(frames >> (8 * i));
    for (int i = 0; i < 4; ++i) ogg[page + 22 + i] = 0;
    uint32_t crc = 0;
    for (size_t i = page; i < ogg.size(); ++i) { // the last page runs to the end
        crc ^= uint32_t(uint8_t(ogg[i])) << 24;
        for (int bit = 0; bit < 8; ++bit) crc = crc & 0x80000000u ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
    }
    for (int i = 0; i < 4; ++i) ogg[page + 22 + i] = char(crc >> (8 * i));
    return ogg;
}
