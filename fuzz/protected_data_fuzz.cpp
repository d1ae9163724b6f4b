// The protected saved-data decoder on arbitrary bytes, as read and with the
// digest made to match so that the length word and the zlib stream are reached.
#include "files/Md5.h"
#include "files/SaveBlob.h"

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > INT_MAX) return 0;
    const int key = SaveBlob::computeKeyValue("Corvana2demo.hst", "2.60");
    SaveBlob blob;
    if (blob.decode(data, int(size), key, 2744) && blob.length != 2744) abort();

    if (size <= SaveBlob::PAYLOAD_OFFSET) return 0;
    std::vector<uint8_t> sealed(data, data + size);
    md5DigestWithKey(sealed.data() + SaveBlob::DIGEST_OFFSET, uint32_t(key),
                     sealed.data() + SaveBlob::PAYLOAD_OFFSET, int(size) - SaveBlob::PAYLOAD_OFFSET);
    if (blob.decode(sealed.data(), int(size), key, 2744) && blob.length != 2744) abort();
    if (blob.decode(sealed.data(), int(size), key) && (blob.length < 0 || (blob.length && !blob.data)))
        abort();
    return 0;
}
