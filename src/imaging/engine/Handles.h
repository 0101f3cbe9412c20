#pragma once
// RAII owners of the C handles the engine uses.

#include <leptonica/allheaders.h>
#include <tiffio.h>

#include <memory>

namespace leafmark::imaging {

// Leptonica's destroy functions take the address of the pointer.
template <typename T, void (*Destroy)(T**)>
struct LeptDeleter {
    void operator()(T* p) const noexcept {
        if (p) Destroy(&p);
    }
};
using PixPtr = std::unique_ptr<PIX, LeptDeleter<PIX, pixDestroy>>;
using BoxPtr = std::unique_ptr<BOX, LeptDeleter<BOX, boxDestroy>>;
using BoxaPtr = std::unique_ptr<BOXA, LeptDeleter<BOXA, boxaDestroy>>;

struct TiffDeleter {
    void operator()(TIFF* t) const noexcept {
        if (t) TIFFClose(t);
    }
};
using TiffPtr = std::unique_ptr<TIFF, TiffDeleter>;

// A new reference-counted alias of an existing PIX (pixClone), owned by the result.
inline PixPtr clonePix(PIX* p) { return PixPtr(p ? pixClone(p) : nullptr); }

}  // namespace leafmark::imaging
