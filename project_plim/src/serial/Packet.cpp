#include "Packet.h"

#include "core/ErrorManager.h"
#include "core/Logger.h"
#include "core/Plim.h"
#include "util/PlimUtil.h"
#include "ReplicationRole.h"
#include "core/ResourceManager.h"
#include "core/RuntimeClass.h"
#include "core/RuntimeClassManager.h"
#include "net/Crc32.h"

#include <cstring>

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__,
              "raw fields are copied as they lie in memory and must be little-endian");

namespace {

// The engine's half float: no subnormals, infinities or NaNs; word 0 is zero.
uint16_t floatToHalf(float x) {
    if (x > 0.0f) {
        if (static_cast<double>(x) < 3.1e-5)
            x = static_cast<float>(3.1e-5);
        if (x > 130000.0f)
            x = 130000.0f;
    } else if (x < 0.0f) {
        if (x < -130000.0f)
            x = -130000.0f;
        if (static_cast<double>(x) > -3.1e-5)
            x = static_cast<float>(-3.1e-5);
    }
    if (x == 0.0f)
        return 0;
    uint32_t bits;
    memcpy(&bits, &x, 4);
    uint32_t e = (((bits >> 23) & 0xFFu) - 112u) & 31u;
    uint32_t m = (bits >> 13) & 0x3FFu;
    return static_cast<uint16_t>(((bits >> 16) & 0x8000u) | (e << 10) | m);
}

float halfToFloat(uint16_t w) {
    if (w == 0)
        return 0.0f;
    uint32_t bits =
        (uint32_t(w & 0x8000u) << 16) | ((((w >> 10) & 31u) + 112u) << 23) | (uint32_t(w & 0x3FFu) << 13);
    float x;
    memcpy(&x, &bits, 4);
    return x;
}

} // namespace

uint32_t crc32(const uint8_t* data, int length) {
    if (length < 1)
        return 0;
    return Crc32::update(0, data, size_t(length));
}

Packet::Packet(uint32_t flags, int32_t capacity) : flags(flags) {
    if (capacity < 0)
        capacity = DEFAULT_CAPACITY;
    this->capacity = capacity;
    size = capacity;
    if (capacity > 0)
        buffer = new uint8_t[capacity];
    cursor = buffer;
}

Packet::~Packet() { delete[] buffer; }

void Packet::clearBits() {
    bitByte = nullptr;
    bitMask = 0;
    bitPos = 0;
}

void Packet::doBytesChecked(void* data, int n) {
    if (n <= 0)
        return;
    int used = static_cast<int>(cursor - buffer);
    if (bWriting) {
        PLIM_ASSERT(n <= capacity - used);
        memcpy(cursor, data, n);
        cursor += n;
        return;
    }
    if (bError || n > size - used) {
        bError = true;
        memset(data, 0, n);
        return;
    }
    memcpy(data, cursor, n);
    cursor += n;
}

void Packet::nextBit() {
    bitMask = static_cast<uint8_t>(bitMask << 1);
    ++bitPos;
    if (bitMask == 0) {
        uint8_t* at = cursor;
        uint8_t zero = 0;
        doBytes(&zero, 1);
        // An empty reader has no buffer at all: no arithmetic on a null cursor.
        if (at && cursor == at + 1) {
            bitByte = at;
        } else {
            spareBitByte = 0;
            bitByte = &spareBitByte;
        }
        bitMask = 1;
        bitPos = 0;
    }
}

void Packet::doBits(uint8_t* value, int count) {
    PLIM_ASSERT(count <= 8);
    for (int i = 0; i < count; ++i) {
        nextBit();
        if (bWriting) {
            *bitByte |= static_cast<uint8_t>(((*value >> i) & 1) << bitPos) & bitMask;
        } else {
            uint8_t bit = static_cast<uint8_t>((*bitByte & bitMask) >> bitPos);
            *value = static_cast<uint8_t>((*value & ~(1u << i)) | (uint32_t(bit) << i));
        }
    }
}

void Packet::doBool(bool* value) {
    uint8_t bit = *value ? 1 : 0;
    doBits(&bit, 1);
    if (!bWriting)
        *value = (bit & 1) != 0;
}

void Packet::doUInt(int* value) {
    // With room for the longest (five bytes) the bytes go straight to or from
    // the buffer; near the end each goes through doBytes and its checks.
    const int longest = 5;
    bool direct = getBytesLeft() >= longest && (bWriting || !bError);
    if (bWriting) {
        uint32_t v = static_cast<uint32_t>(*value);
        do {
            uint8_t b = v & 0x7F;
            v >>= 7;
            if (v)
                b |= 0x80;
            if (direct)
                *cursor++ = b;
            else
                doBytes(&b, 1);
        } while (v);
        return;
    }
    uint32_t v = 0;
    uint8_t b = 0;
    for (int i = 0; i < longest; ++i) {
        if (direct)
            b = *cursor++;
        else
            doBytes(&b, 1);
        v |= uint32_t(b & 0x7F) << (7 * i);
        if (!(b & 0x80))
            break;
    }
    if (b & 0x80)
        bError = true; // more than five bytes
    *value = bError ? 0 : static_cast<int>(v);
}

void Packet::doInt(int* value) {
    if (bWriting) {
        bool negative = *value < 0;
        uint32_t magnitude = negative ? 0u - static_cast<uint32_t>(*value) : static_cast<uint32_t>(*value);
        uint32_t rest = magnitude >> 6;
        uint8_t first = static_cast<uint8_t>((magnitude & 0x3F) | (negative ? 0x40 : 0) | (rest ? 0x80 : 0));
        doBytes(&first, 1);
        while (rest) {
            uint8_t b = rest & 0x7F;
            rest >>= 7;
            if (rest)
                b |= 0x80;
            doBytes(&b, 1);
        }
        return;
    }
    uint8_t b = 0;
    doBytes(&b, 1);
    bool negative = (b & 0x40) != 0;
    uint32_t magnitude = b & 0x3F;
    for (int i = 0; i < 4 && (b & 0x80); ++i) {
        doBytes(&b, 1);
        magnitude |= uint32_t(b & 0x7F) << (6 + 7 * i);
    }
    if (b & 0x80)
        bError = true; // more than five bytes
    if (bError) {
        *value = 0;
        return;
    }
    *value = static_cast<int>(negative ? 0u - magnitude : magnitude);
}

void Packet::doHeader() {
    doUInt(&sequence);
    doBool(&continued);
}

void Packet::doHalf(float* value) {
    uint8_t bytes[2] = {0, 0};
    if (bWriting) {
        uint16_t w = floatToHalf(*value);
        bytes[0] = static_cast<uint8_t>(w);
        bytes[1] = static_cast<uint8_t>(w >> 8);
    }
    doBytes(bytes, 2);
    if (!bWriting)
        *value = halfToFloat(static_cast<uint16_t>(bytes[0] | bytes[1] << 8));
}

void Packet::doHalfDouble(double* value) {
    float f = static_cast<float>(*value);
    doHalf(&f);
    if (!bWriting)
        *value = f;
}

void Packet::doDouble(double* value) {
    float f = static_cast<float>(*value);
    doBytes(&f, 4);
    if (!bWriting)
        *value = f;
}

void Packet::doVector(V3* value) {
    doBytes(&value->x, 4);
    doBytes(&value->y, 4);
    doBytes(&value->z, 4);
}

void Packet::doVectorXY(V3* value) {
    doBytes(&value->x, 4);
    doBytes(&value->y, 4);
    value->z = 0.0f;
}

void Packet::doHalfVector(V3* value) {
    doHalf(&value->x);
    doHalf(&value->y);
    doHalf(&value->z);
}

void Packet::doHalfVectorXY(V3* value) {
    doHalf(&value->x);
    doHalf(&value->y);
    value->z = 0.0f;
}

void Packet::doColor(UColor* value) {
    uint8_t bytes[4] = {value->b, value->g, value->r, value->a};
    doBytes(bytes, 4);
    if (!bWriting)
        *value = UColor(bytes[2], bytes[1], bytes[0], bytes[3]);
}

void Packet::doUString(UString* value, int maxLength) {
    uint8_t scratch[BUFFERSIZE + 1];
    if (bWriting) {
        int length = static_cast<int>(value->length());
        PLIM_ASSERT(length<BUFFERSIZE);
        for (int i = 0; i < length; ++i)
            scratch[i] = static_cast<uint8_t>((*value)[i]) ^ STRING_MASK;
        doUInt(&length);
        doBytes(scratch, length);
        return;
    }
    int length = 0;
    doUInt(&length);
    if (length < 0 || length >= BUFFERSIZE || (maxLength >= 0 && length > maxLength))
        bError = true;
    if (bError) {
        *value = UString();
        return;
    }
    doBytes(scratch, length);
    if (bError) {
        *value = UString();
        return;
    }
    for (int i = 0; i < length; ++i)
        scratch[i] ^= STRING_MASK;
    scratch[length] = 0;
    // A zero byte inside the text ends it there.
    *value = UString(reinterpret_cast<const char*>(scratch));
}

bool Packet::doPointer2(PlimBase*& object) {
    if (bWriting) {
        int objectUID = object ? object->objectUID : 0;
        PLIM_ASSERT(objectUID>=0);
        doUInt(&objectUID);
        return object != nullptr;
    }
    int uid = 0;
    doUInt(&uid);
    if (uid == 0) {
        object = nullptr;
        return false;
    }
    object = THEROLE ? THEROLE->lookupObject(uid) : nullptr;
    if (!object) {
        logTagged("doPointer2", "Could not find object ID %d", uid);
        unresolvedUID = uid;
    }
    return true;
}

void Packet::doResourcePointer2(PlimBase*& resource) {
    ResourceManager* registry = PLIM ? PLIM->resourceManager : nullptr;
    if (bWriting) {
        UString s;
        if (resource) {
            PLIM_ASSERT(registry!=NULL);
            s = registry->nameOf(resource);
            PLIM_ASSERT(s!="");
        }
        doUString(&s, -1);
        return;
    }
    UString s;
    doUString(&s, -1);
    if (s.isEmpty()) {
        resource = nullptr;
        return;
    }
    resource = registry ? registry->find(s, false) : nullptr;
    if (!resource)
        logTagged("doResourcePointer2", "Could not find resource '%s'.", s.c_str());
}

void Packet::doClassID(RuntimeClass*& cls) {
    RuntimeClass*& _class = cls;
    if (bWriting) {
        PLIM_ASSERT(_class!=NULL);
        if (flags & FLAG_MARKER) {
            uint32_t id = _class->id;
            doBytes(&id, 4);
        } else {
            int index = _class->index;
            PLIM_ASSERT(index>=0);
            doUInt(&index);
        }
        return;
    }
    if (flags & FLAG_MARKER) {
        uint32_t id = 0;
        doBytes(&id, 4);
        _class = bError ? nullptr : RuntimeClass::findById(id);
    } else {
        int index = 0;
        doUInt(&index);
        _class = bError ? nullptr : RuntimeClassManager::getInstance()->getClassByIndex(index);
    }
    if (!_class)
        bError = true;
}

void Packet::doAddress(NetAddress* value) {
    uint32_t ip = value->getIP();
    uint16_t port = value->getPort();
    doBytes(&ip, 4);
    doBytes(&port, 2);
    if (!bWriting) {
        value->setIP(ip);
        value->setPort(port);
    }
}

uint32_t Packet::crc32(int offset, int length) const {
    int64_t from = offset;
    int64_t end = length < 0 ? getLength() : from + length;
    // Clipped to the buffer, so a bad range never reads outside it.
    if (from < 0)
        from = 0;
    if (end > capacity)
        end = capacity;
    if (end - from < 1)
        return 0;
    return ::crc32(buffer + from, static_cast<int>(end - from));
}

void Packet::reset() {
    clearBits();
    cursor = buffer;
    size = capacity;
    bError = false;
    unresolvedUID = 0;
}

void Packet::rewindToRead() {
    PLIM_ASSERT(bWriting);
    size = static_cast<int32_t>(cursor - buffer);
    cursor = buffer;
    clearBits();
    bWriting = false;
    bError = false;
}

void Packet::copyHeaderFrom(const Packet& other, bool withMode) {
    if (withMode)
        bWriting = other.bWriting;
    peer = other.peer;
    address = other.address;
    time = other.time;
    sequence = other.sequence;
    continued = other.continued;
}

Packet* Packet::target(Packet* into, int capacity) const {
    if (!into)
        return new Packet(flags, capacity);
    PLIM_ASSERT(into->capacity >= capacity);
    into->flags = flags;
    into->reset();
    return into;
}

Packet* Packet::slice(int n, Packet* into) {
    if (n < 0)
        n = 0;
    Packet* piece = target(into, n);
    int available = getBytesLeft();
    int taken = n <= available ? n : (available > 0 ? available : 0);
    if (taken < n) {
        // Asked for more than there is: the piece is zero-filled behind the
        // real bytes and both packets carry the error.
        bError = true;
        piece->bError = true;
        memset(piece->buffer + taken, 0, n - taken);
    }
    if (taken > 0)
        memcpy(piece->buffer, cursor, taken);
    cursor += taken;
    piece->size = n;
    piece->cursor = piece->buffer;
    piece->copyHeaderFrom(*this, true);
    return piece;
}

Packet* Packet::cloneWithPiece(Packet* source, int offset, int n, Packet* into) {
    if (n < 0)
        n = 0;
    int length = getLength();
    Packet* clone = target(into, length + n);
    if (length > 0)
        memcpy(clone->buffer, buffer, length);
    // Only bytes inside the source's buffer are copied; the rest is zero.
    int64_t from = offset < 0 ? 0 : offset;
    int64_t end = static_cast<int64_t>(offset) + n;
    if (end > source->capacity)
        end = source->capacity;
    uint8_t* piece = clone->buffer + length;
    if (end > from) {
        memset(piece, 0, size_t(from - offset));
        memcpy(piece + (from - offset), source->buffer + from, static_cast<size_t>(end - from));
        memset(piece + (end - offset), 0, size_t(static_cast<int64_t>(offset) + n - end));
    } else if (n > 0) {
        memset(piece, 0, size_t(n));
    }
    if (from != offset || end != static_cast<int64_t>(offset) + n)
        clone->bError = true;
    clone->cursor = clone->buffer + length + n;
    clone->copyHeaderFrom(*this, true);
    return clone;
}

void Packet::reserve(int32_t wanted) {
    PLIM_ASSERT(bWriting);
    if (wanted <= capacity)
        return;
    int used = static_cast<int>(cursor - buffer);
    uint8_t* bigger = new uint8_t[wanted];
    if (used > 0)
        memcpy(bigger, buffer, size_t(used));
    if (bitByte && bitByte != &spareBitByte)
        bitByte = bigger + (bitByte - buffer);
    delete[] buffer;
    buffer = bigger;
    cursor = buffer + used;
    capacity = size = wanted;
}

void Packet::append(Packet* destination) {
    if (destination->getLength() == 0) {
        destination->copyHeaderFrom(*this, false);
        destination->bWriting = true;
    }
    destination->doBytes(buffer, getLength());
}
