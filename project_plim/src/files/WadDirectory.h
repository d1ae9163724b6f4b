#pragma once
// The header and directory records of a data archive: reading them back with
// every record checked against the archive's length, and building records.
#include "util/UString.h"
#include "WadEntry.h"

#include <cstdint>
#include <vector>

class Stream;

class WadDirectory {
public:
    enum { VERSION = 2, HEADER_SIZE = 8, RECORD_SIZE = 92, NAME_SIZE = 80 };
    // Every name field is XORed with this; its high bit marks a scrambled field.
    static const uint8_t NAME_KEY = 0xB3;
    // No zlib stream inflates to more than this many times its own length.
    static const uint32_t MAX_INFLATE_RATIO = 1032;
    // The most one entry, and all of an archive's entries together, may hold
    // when read: far above the game's own data (its largest entry is 1.2 MB,
    // all 150 come to 8 MB), low enough that no archive takes the memory or
    // the minutes of a start to read. What the entries decode to is bounded
    // where the start decodes them (StartLimits, SkinList).
    static constexpr uint32_t MAX_ENTRY_SIZE = 64u << 20;
    static constexpr uint64_t MAX_TOTAL_SIZE = uint64_t(512) << 20;
    // Records an archive may hold (the game's has 150): each costs memory
    // and time to read, whatever its size.
    static constexpr int32_t MAX_RECORDS = 65536;

    WadDirectory(const UString& wadName, int archiveSize);

    // Reads version and count from the start of the archive. False (with
    // problem set) when the archive is shorter than its header.
    bool readHeader(Stream& stream);
    // readHeader, a check of the version, then readRecords.
    bool read(Stream& stream);
    // Reads the count's records (none when it is 0; a negative count is corrupt). False with
    // problem set when the records do not fit the archive or are more than
    // MAX_RECORDS, a record lacks its name terminator, or an entry does not
    // fit the archive or an int, or passes a limit on its size or the total.
    bool readRecords(Stream& stream);

    // One record: the name scrambled over random filler, then offset, size
    // and stored size. The name must be shorter than NAME_SIZE bytes.
    static void encodeRecord(const WadEntry& entry, uint8_t record[RECORD_SIZE]);
    static void encodeHeader(int32_t count, uint8_t header[HEADER_SIZE]);
    // Why an entry of size bytes cannot join entries of total bytes (it is
    // added to total); empty when both stay within the limits.
    static UString oversize(uint64_t size, uint64_t& total);

    UString wadName;
    int archiveSize;
    int32_t version = 0;
    int32_t count = 0;
    std::vector<WadEntry> records;  // in file order, duplicates included
    UString problem;

private:
    bool decodeRecord(int index, const uint8_t* record, WadEntry& entry, uint64_t& total);
};
