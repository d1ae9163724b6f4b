#pragma once
// What the saves ask of a disk: the room left on it and a write. The game uses
// the real disk; a test that cannot mount a small disk to fill puts a
// pretended one in its place.
#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/types.h>

class DiskAccess {
public:
    virtual ~DiskAccess() = default;
    // The bytes this process may still write on the disk of folder; -1 when unknown.
    virtual int64_t freeBytes(const std::string& folder) const;
    // As write(2).
    virtual ssize_t write(int fd, const void* bytes, size_t count) const;

    // The disk the saves use.
    static const DiskAccess& current();
    // From now on the saves use access (which the caller keeps alive); nullptr: the real disk.
    static void use(const DiskAccess* access);
};
