#pragma once
// RAII owners of the C handles the engine uses.

#include <leptonica/allheaders.h>
#include <tiffio.h>

#include <memory>

namespace leafmark::imaging {

struct PixDeleter {
    void operator()(PIX* p) const noexcept {
        if (p) pixDestroy(&p);
    }
};
using PixPtr = std::unique_ptr<PIX, PixDeleter>;

struct TiffDeleter {
    void operator()(TIFF* t) const noexcept {
        if (t) TIFFClose(t);
    }
};
using TiffPtr = std::unique_ptr<TIFF, TiffDeleter>;

struct BoxDeleter {
    void operator()(BOX* b) const noexcept {
        if (b) boxDestroy(&b);
    }
};
using BoxPtr = std::unique_ptr<BOX, BoxDeleter>;

struct BoxaDeleter {
    void operator()(BOXA* b) const noexcept {
        if (b) boxaDestroy(&b);
    }
};
using BoxaPtr = std::unique_ptr<BOXA, BoxaDeleter>;

// A new reference-counted alias of an existing PIX (pixClone), owned by the result.
inline PixPtr clonePix(PIX* p) { return PixPtr(p ? pixClone(p) : nullptr); }

}  // namespace leafmark::imaging
