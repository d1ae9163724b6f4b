#pragma once
// The symmetric serialiser: a byte buffer with a cursor and a direction. In
// writing mode every do* call appends its variable's value; in reading mode the
// same call reads the next value into the variable, so one routine serves both
// directions. Bits pack eight to a byte (a bit byte stays open while later
// fields follow it), integers travel as 7-bit groups, floats as the engine's
// 16-bit half float, strings with a one-byte mask, objects, resources and
// classes as small identifiers. All fixed-width fields are little-endian.
//
// Reading is safe on any input: a read past the end, a variable-length integer
// longer than five bytes, an over-long string or an unknown class sets the
// error state; from then on every read yields zeros and the caller drops the
// packet. Writing past the capacity is a programming error and fatal.
#include "core/PlimBase.h"
#include "util/UColor.h"
#include "util/UString.h"
#include "util/V3.h"
#include "net/NetAddress.h"

#include <cstdint>
#include <cstring>

class Node;
class RuntimeClass;

// Standard reflected CRC-32 (IEEE 802.3); 0 for a length below 1.
uint32_t crc32(const uint8_t* data, int length);

class Packet : public PlimBase {
public:
    enum {
        BUFFERSIZE = 1024,       // strings must be shorter than this
        STRING_MASK = 0x6B,      // XORed onto every string byte
        DEFAULT_CAPACITY = 65536 // a negative capacity asks for this
    };
    // Flag bits of the packet.
    enum {
        FLAG_FILTER1 = 1, // skip properties with 0x001; only registered children
        FLAG_FILTER2 = 2, // skip properties with 0x002; raw pointer properties
        FLAG_MARKER = 4   // classes as 32-bit ids; a marker behind each object's properties
    };

    explicit Packet(uint32_t flags = FLAG_FILTER1, int32_t capacity = -1);
    ~Packet() override;

    // A replicated object as its objectUID (0 for null). True when the
    // reference is not null; on reading an identifier that names no known
    // object yields null, is logged, and still answers true.
    virtual bool doPointer2(PlimBase*& object);

    // Inline while the bytes (or the room) are there: most fields are a few
    // bytes, and a call per byte was a good part of a datagram's cost. The
    // end, an error and a count below 1 take the checked path.
    void doBytes(void* data, int n) {
        if (n > 0 && (bWriting || !bError) && n <= getBytesLeft()) {
            if (bWriting)
                memcpy(cursor, data, size_t(n));
            else
                memcpy(data, cursor, size_t(n));
            cursor += n;
            return;
        }
        doBytesChecked(data, n);
    }
    void doUInt(int* value);
    void doInt(int* value);
    // The low count bits (at most 8) of the byte; reading replaces only those.
    void doBits(uint8_t* value, int count);
    void doBool(bool* value);
    // The packet's own sequence (unsigned) and continued flag (one bit).
    void doHeader();
    void doHalf(float* value);
    void doHalfDouble(double* value);
    // As a 4-byte float.
    void doDouble(double* value);
    void doVector(V3* value);
    // x and y only; z becomes 0 in both directions.
    void doVectorXY(V3* value);
    void doHalfVector(V3* value);
    void doHalfVectorXY(V3* value);
    // Bytes blue, green, red, alpha.
    void doColor(UColor* value);
    // maxLength limits reading only; negative means no limit of its own.
    void doUString(UString* value, int maxLength);
    // A resource as its registered name (empty for null).
    void doResourcePointer2(PlimBase*& resource);
    // A class as its registry index, or with FLAG_MARKER as its 32-bit id.
    void doClassID(RuntimeClass*& cls);
    // The IP as a host-order u32, then the port as a u16, both little-endian.
    void doAddress(NetAddress* value);

    // CRC-32 of length bytes from the buffer start plus offset; a negative
    // length runs to the end of the content.
    uint32_t crc32(int offset, int length) const;

    // Empties the packet for reuse; the mode stays.
    void reset();
    // Turns a written packet into one that reads exactly the written bytes.
    void rewindToRead();
    // A new packet (owned by the caller) with the next n bytes, ready to read.
    // Given into (a packet of at least n bytes' capacity, which it overwrites
    // whole), it fills and returns that one instead.
    Packet* slice(int n, Packet* into = nullptr);
    // A new packet with this content followed by n bytes of source from
    // offset; into as for slice, for this content and n bytes.
    Packet* cloneWithPiece(Packet* source, int offset, int n, Packet* into = nullptr);
    // Writes this content to the destination (taking the header when it is empty).
    void append(Packet* destination);
    // While writing: room for at least capacity bytes, the content kept.
    void reserve(int32_t capacity);

    // Written bytes while writing, size while reading.
    int getLength() const { return bWriting ? static_cast<int>(cursor - buffer) : size; }
    // Bytes not yet read (reading) or still free (writing).
    int getBytesLeft() const { return (bWriting ? capacity : size) - static_cast<int>(cursor - buffer); }
    bool hasError() const { return bError; }
    // Marks the packet as malformed; every later read yields zeros.
    void setError() { bError = true; }

    uint32_t flags;
    bool bWriting = true;
    Node* peer = nullptr;
    // The sender of a received packet, the destination of one to send.
    NetAddress address;
    double time = 0.0;
    int32_t sequence = -1;
    bool continued = false;
    uint8_t* bitByte = nullptr;
    uint8_t bitMask = 0;
    int32_t bitPos = 0;
    int32_t capacity;
    int32_t size;
    uint8_t* buffer = nullptr;
    uint8_t* cursor = nullptr;
    bool bError = false;
    // The last identifier that doPointer2 read and could not resolve (0:
    // none); input from the network is dropped on it.
    int32_t unresolvedUID = 0;

private:
    // doBytes at the edges: past the room is fatal when writing, past the end
    // (or after an error) yields zeros and the error when reading.
    void doBytesChecked(void* data, int n);
    // Steps to the next bit, opening a new bit byte when needed.
    void nextBit();
    void clearBits();
    void copyHeaderFrom(const Packet& other, bool withMode);
    // into when given, emptied, with this packet's flags; else a new packet.
    Packet* target(Packet* into, int capacity) const;

    // Stands in for the bit byte when opening one ran past the end.
    uint8_t spareBitByte = 0;
};
