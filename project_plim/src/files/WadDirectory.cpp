#include "WadDirectory.h"

#include "util/ByteOrder.h"
#include "util/PlimUtil.h"
#include "PrintableText.h"
#include "util/Random.h"
#include "util/Stream.h"

#include <climits>
#include <cstdlib>
#include <cstring>

WadDirectory::WadDirectory(const UString& wadName, int archiveSize)
    : wadName(wadName), archiveSize(archiveSize < 0 ? 0 : archiveSize) {}

bool WadDirectory::readHeader(Stream& stream) {
    uint8_t header[HEADER_SIZE];
    if (stream.read(header, HEADER_SIZE) != HEADER_SIZE) {
        problem = formatString("the file is shorter than the %d-byte header.", int(HEADER_SIZE));
        return false;
    }
    version = readInt32LE(header);
    count = readInt32LE(header + 4);
    return true;
}

bool WadDirectory::read(Stream& stream) {
    if (!readHeader(stream)) return false;
    if (version != VERSION) {
        problem = formatString("version %d (expected %d).", version, int(VERSION));
        return false;
    }
    return readRecords(stream);
}

bool WadDirectory::readRecords(Stream& stream) {
    records.clear();
    if (count < 0) {
        problem = formatString("its directory count %d is negative.", count);
        return false;
    }
    if (count == 0) return true;
    // Checked before anything is allocated: the records must fit the file.
    int64_t room = (int64_t(archiveSize) - HEADER_SIZE) / RECORD_SIZE;
    if (int64_t(count) > room) {
        problem = formatString("its %d directory records do not fit its %d bytes.", count,
                               archiveSize);
        return false;
    }
    if (count > MAX_RECORDS) {
        problem = formatString("its %d directory records are more than the %d an archive may hold.", count,
                               int(MAX_RECORDS));
        return false;
    }
    int bytes = count * RECORD_SIZE;
    std::vector<uint8_t> directory(bytes);
    if (stream.read(directory.data(), bytes) != bytes) {
        problem = formatString("its directory of %d records could not be read whole.", count);
        return false;
    }
    records.resize(count);
    uint64_t total = 0;
    for (int i = 0; i < count; ++i)
        if (!decodeRecord(i, directory.data() + i * RECORD_SIZE, records[i], total)) {
            records.clear();
            return false;
        }
    return true;
}

bool WadDirectory::decodeRecord(int index, const uint8_t* record, WadEntry& entry, uint64_t& total) {
    char name[NAME_SIZE];
    memcpy(name, record, NAME_SIZE);
    if (static_cast<signed char>(name[0]) < 0)
        for (char& c : name) c = static_cast<char>(c ^ NAME_KEY);
    const void* end = memchr(name, 0, NAME_SIZE);
    if (!end) {
        problem = formatString("record %d has no terminator in its name field.", index + 1);
        return false;
    }
    entry.fileName = UString(name, static_cast<const char*>(end) - name);
    entry.wadName = wadName;
    entry.offset = readUint32LE(record + NAME_SIZE);
    entry.size = readUint32LE(record + NAME_SIZE + 4);
    entry.storedSize = readUint32LE(record + NAME_SIZE + 8);

    UString what;
    if (entry.size > uint32_t(INT_MAX) || entry.storedSize > uint32_t(INT_MAX))
        what = "has a size that does not fit an int";
    else if (uint64_t(entry.offset) + entry.storedSize > uint64_t(archiveSize))
        what = "runs past the end of the file";
    else if (entry.isCompressed() && uint64_t(entry.size) > uint64_t(entry.storedSize) * MAX_INFLATE_RATIO)
        what = "cannot inflate to its size";
    else
        what = oversize(entry.size, total);
    if (what.isEmpty()) return true;
    problem = formatString("record %d ('%s', offset %u, size %u, stored size %u) %s.", index + 1,
                           printableText(entry.fileName).c_str(), entry.offset, entry.size, entry.storedSize,
                           what.c_str());
    return false;
}

UString WadDirectory::oversize(uint64_t size, uint64_t& total) {
    total += size;
    if (size > MAX_ENTRY_SIZE)
        return formatString("is larger than the %u MiB an entry may hold", unsigned(MAX_ENTRY_SIZE >> 20));
    if (total > MAX_TOTAL_SIZE)
        return formatString("brings the entries to %llu bytes, more than the %u MiB an archive may hold in all",
                            (unsigned long long)total, unsigned(MAX_TOTAL_SIZE >> 20));
    return UString();
}

void WadDirectory::encodeRecord(const WadEntry& entry, uint8_t record[RECORD_SIZE]) {
    for (int i = 0; i < NAME_SIZE; ++i) record[i] = static_cast<uint8_t>(Random::next() % 255);
    size_t length = entry.fileName.length();
    if (length > NAME_SIZE - 1) length = NAME_SIZE - 1;  // callers refuse longer names first
    memcpy(record, entry.fileName.c_str(), length);
    record[length] = 0;
    for (int i = 0; i < NAME_SIZE; ++i) record[i] ^= NAME_KEY;
    writeUint32LE(record + NAME_SIZE, entry.offset);
    writeUint32LE(record + NAME_SIZE + 4, entry.size);
    writeUint32LE(record + NAME_SIZE + 8, entry.storedSize);
}

void WadDirectory::encodeHeader(int32_t count, uint8_t header[HEADER_SIZE]) {
    writeUint32LE(header, uint32_t(VERSION));
    writeUint32LE(header + 4, uint32_t(count));
}
