#include "imaging/engine/MemoryTiff.h"

#include <algorithm>
#include <cstring>

#include "imaging/engine/Handles.h"
#include "imaging/engine/PageEngine.h"
#include "imaging/engine/TiffEncode.h"
#include "imaging/engine/TiffHandle.h"

namespace leafmark::imaging {

namespace {

struct Buffer {
    std::vector<unsigned char> bytes;
    std::uint64_t pos = 0;
    TiffMessages messages;
};

tmsize_t mRead(thandle_t h, void* p, tmsize_t n) {
    auto* b = static_cast<Buffer*>(h);
    if (b->pos >= b->bytes.size()) return 0;
    const auto got = static_cast<tmsize_t>(
        std::min<std::uint64_t>(static_cast<std::uint64_t>(n), b->bytes.size() - b->pos));
    std::memcpy(p, b->bytes.data() + b->pos, static_cast<std::size_t>(got));
    b->pos += static_cast<std::uint64_t>(got);
    return got;
}
tmsize_t mWrite(thandle_t h, void* p, tmsize_t n) {
    auto* b = static_cast<Buffer*>(h);
    const std::uint64_t end = b->pos + static_cast<std::uint64_t>(n);
    if (end > b->bytes.size()) b->bytes.resize(static_cast<std::size_t>(end));
    std::memcpy(b->bytes.data() + b->pos, p, static_cast<std::size_t>(n));
    b->pos = end;
    return n;
}
toff_t mSeek(thandle_t h, toff_t off, int whence) {
    auto* b = static_cast<Buffer*>(h);
    if (whence == SEEK_SET)
        b->pos = off;
    else if (whence == SEEK_CUR)
        b->pos += off;
    else
        b->pos = b->bytes.size() + off;
    return b->pos;
}
int mClose(thandle_t) { return 0; }
toff_t mSize(thandle_t h) { return static_cast<Buffer*>(h)->bytes.size(); }
int mMap(thandle_t, void**, toff_t*) { return 0; }
void mUnmap(thandle_t, void*, toff_t) {}

TiffPtr openBuffer(Buffer& b, const char* mode) {
    b.pos = 0;
    TIFFOpenOptions* opts = makeOpenOptions(&b.messages);
    TiffPtr t(TIFFClientOpenExt("memory", mode, &b, mRead, mWrite, mSeek, mClose, mSize, mMap,
                                mUnmap, opts));
    TIFFOpenOptionsFree(opts);
    return t;
}

}  // namespace

Status encodeGroup4Strip(PIX* pix, std::vector<unsigned char>& out) {
    Buffer b;
    {
        TiffPtr t = openBuffer(b, "w");
        if (!t) return Status::failure("the Group 4 coder could not start");
        EncodePlan plan;
        if (Status planned =
                planEncoding(pix, COMPRESSION_CCITTFAX4, 1, PHOTOMETRIC_MINISWHITE, 0, plan);
            !planned)
            return planned;
        setPixelTags(t.get(), plan);
        if (Status written = writePixels(t.get(), plan); !written) return written;
        if (!TIFFWriteDirectory(t.get())) return Status::failure("the Group 4 coder failed");
    }
    TiffPtr t = openBuffer(b, "r");
    if (!t || TIFFNumberOfStrips(t.get()) != 1)
        return Status::failure("the Group 4 coder did not give one strip");
    const std::uint64_t size = TIFFGetStrileByteCount(t.get(), 0);
    out.resize(static_cast<std::size_t>(size));
    if (TIFFReadRawStrip(t.get(), 0, out.data(), static_cast<tmsize_t>(size)) !=
        static_cast<tmsize_t>(size))
        return Status::failure("reading back the Group 4 strip failed");
    return Status::success();
}

}  // namespace leafmark::imaging
