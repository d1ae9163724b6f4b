#include "MixerOGG.h"

#include "core/ErrorManager.h"
#include "core/Logger.h"
#include "files/MemoryFile.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

MixerOGG::MixerOGG(MemoryFile* file, bool bLoop, int maxPlaybacks, UString* failure)
    : maxPlaybacks(maxPlaybacks), file(file), bLoop(bLoop), failure(failure) {
    memset(&vf, 0, sizeof vf);
    ov_callbacks cb;
    cb.read_func = &MixerOGG::memRead;
    cb.seek_func = &MixerOGG::memSeek;
    cb.close_func = nullptr;
    cb.tell_func = &MixerOGG::memTell;
    if (file) name = file->fileName;
    const int opened = ov_open_callbacks(this, &vf, NULL, 0, cb);
    if (opened != 0) {
        if (reportFailure(decodingProblem(opened))) return;
        failDecoding(opened);
    }
    bOpen = true;

    vorbis_info* info = ov_info(&vf, -1);
    numChannels = info->channels;
    frequency = int32_t(info->rate);
    logTagged("MixerOGG", "\t%d Hz, %s.", frequency, numChannels == 1 ? "mono" : "stereo");
    totalFrames = int32_t(std::min<ogg_int64_t>(ov_pcm_total(&vf, -1), INT32_MAX));
}

MixerOGG::~MixerOGG() {
    ov_clear(&vf);
    delete[] samples;
}

const char* MixerOGG::describeError(long code) {
    switch (code) {
    case OV_EREAD: return "read error";
    case OV_ENOTVORBIS: return "not Ogg Vorbis data";
    case OV_EVERSION: return "unsupported Vorbis version";
    case OV_EBADHEADER: return "bad Vorbis header";
    case OV_EFAULT: return "decoder fault";
    case OV_HOLE: return "gap in the data";
    case OV_EBADLINK: return "bad link in the stream";
    case OV_EINVAL: return "invalid stream";
    default: return "damaged data";
    }
}

UString MixerOGG::decodingProblem(long code) {
    return UString::format("it cannot be decoded (%s, error %ld)", describeError(code), code);
}

void MixerOGG::failDecoding(long code) const {
    PLIM_ERROR("Sound '%s' cannot be decoded (%s, error %ld).", name.c_str(), describeError(code), code);
}

size_t MixerOGG::memRead(void* destination, size_t size, size_t count, void* source) {
    MixerOGG* self = static_cast<MixerOGG*>(source);
    if (size == 0) return 0;
    const MemoryFile* f = self->file;
    uint64_t wanted = uint64_t(size) * uint64_t(count);
    uint64_t left = self->readPosition < f->size ? uint64_t(f->size - self->readPosition) : 0;
    size_t n = size_t(wanted < left ? wanted : left);
    if (n > 0) {
        memcpy(destination, f->data + self->readPosition, n);
        self->readPosition += int32_t(n);
    }
    return n / size;
}

int MixerOGG::memSeek(void* source, ogg_int64_t offset, int whence) {
    MixerOGG* self = static_cast<MixerOGG*>(source);
    int64_t position;
    switch (whence) {
    case SEEK_SET: position = offset; break;
    case SEEK_CUR: position = int64_t(self->readPosition) + offset; break;
    case SEEK_END: position = int64_t(self->file->size) + offset; break;
    default: return -1;
    }
    // A position outside the file is refused, so reads never start before it.
    if (position < 0 || position > self->file->size) return -1;
    self->readPosition = int32_t(position);
    return 0;
}

bool MixerOGG::reportFailure(const UString& message) {
    if (!failure) return false;
    if (failure->isEmpty()) *failure = message;
    return true;
}

long MixerOGG::memTell(void* source) { return static_cast<MixerOGG*>(source)->readPosition; }

bool MixerOGG::storeFrames(float* destination, float** pcm, long frames, int channels) {
    if (channels == 1) {
        const float* mono = pcm[0];
        for (long i = 0; i < frames; ++i) {
            destination[2 * i] = mono[i];
            destination[2 * i + 1] = mono[i];
        }
        return true;
    }
    if (channels == 2) {
        const float* left = pcm[0];
        const float* right = pcm[1];
        for (long i = 0; i < frames; ++i) {
            destination[2 * i] = left[i];
            destination[2 * i + 1] = right[i];
        }
        return true;
    }
    return false;
}

bool MixerOGG::allLinksMono() {
    const long links = ov_streams(&vf);
    for (long i = 0; i < links; ++i) {
        vorbis_info* info = ov_info(&vf, int(i));
        if (!info || info->channels != 1) return false;
    }
    return links > 0;
}

int MixerOGG::linkChannels(int bitstream) {
    // A chained stream may change its channel count between links; the layout
    // follows the link the frames came from, never reading a missing channel.
    vorbis_info* info = ov_info(&vf, bitstream);
    return info ? info->channels : numChannels;
}
