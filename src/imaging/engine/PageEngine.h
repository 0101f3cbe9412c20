#pragma once
// The page engine: holds one page image (page 1 of a TIFF file, edited in place),
// one current region, and the comment slots the next save writes. Non-visual;
// the page-view widget draws the engine's image. Not thread-safe: use one engine
// per thread. Paths are the bytes the file system names the file by (UTF-8 or not).

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "imaging/engine/ByteBudget.h"
#include "imaging/engine/Handles.h"
#include "imaging/engine/Status.h"

namespace leafmark::imaging {

// Stored formats are TIFF compression codes; these two are named for the tests
// and benchmarks that write pages.
constexpr int kFormatGroup4 = 4;
constexpr int kFormatLzw = 5;

// Comment slots and the TIFF ASCII tags that carry them.
constexpr int kCommentSlots = 10;
// Slot 0 Artist(315), 1 Copyright(33432), 2 DateTime(306), 3 ImageDescription(270),
// 4 HostComputer(316), 5 Make(271), 6 Model(272), 7 DocumentName(269),
// 8 PageName(285), 9 Software(305).
constexpr std::array<std::uint32_t, kCommentSlots> kCommentTags = {315, 33432, 306, 270, 316,
                                                                   271, 272,   269, 285, 305};
constexpr int kSlotDocumentMarker = 3;  // "BOD"
constexpr int kSlotChangeMarker = 6;    // "Changed"

// What ReadFileInfo learns from page 1 of a file without decoding pixels.
struct FileInfo {
    int format = 0;    // compression code of page 1
    int bitDepth = 0;  // bits per sample x samples per pixel (1, 4, 8, 24, 32, ...)
    int width = 0;     // pixels
    int height = 0;
    int xResolution = 0;  // dots per inch, rounded; 0 when the file stores none
    int yResolution = 0;
    int pageCount = 0;  // number of pages (directories) in the file
};

// Outcome of Deskew.
struct DeskewResult {
    bool applied = false;  // the page was rotated
    double angle = 0.0;    // skew found, degrees, positive = clockwise text tilt corrected
    double confidence = 0.0;
    Status status = Status::success();  // failure: the skew was to be corrected but the page could
                                        // not be turned
};

// Makes one kind of edit fail in every engine of the process, as when memory runs
// out, until set back to None: the white-fill of a region, despeckle, or the turn
// that straightens a skewed page. For tests of what callers do with such a failure.
enum class EditFault { None, Fill, Despeckle, Straighten };
void setEditFaultForTesting(EditFault fault);

class PageEngine {
  public:
    PageEngine();
    ~PageEngine();
    PageEngine(const PageEngine&) = delete;
    PageEngine& operator=(const PageEngine&) = delete;

    // ---- files (PageEngineIO.cpp) ----

    // Loads page 1 of `file` in its stored depth. On failure the engine holds no
    // image (nothing of a previous page stays) and the reason is returned. A page
    // that only partly decoded loads what decoded, succeeds, and damaged() is true.
    Status LoadPage(const std::string& file);

    // Counts the decoded page against `budget` (shared with other engines) instead
    // of this engine's own; null goes back to its own. The budget must outlive
    // the engine's image.
    void setSharedBudget(ByteBudget* budget);

    // The reason the data of page 1 of `file` ends before the end of its strips or
    // tiles, read from the structure alone; nullopt when it does not (or the file
    // cannot be opened or its header is refused, which LoadPage then reports).
    static std::optional<std::string> TruncationOf(const std::string& file);

    // Reads format, depth, size and resolution of page 1 of `file` without decoding
    // pixels. On success StoredFormat()/StoredBitDepth() report it; on failure both are 0.
    Status ReadFileInfo(const std::string& file);
    int StoredFormat() const { return info_.format; }
    int StoredBitDepth() const { return info_.bitDepth; }
    const FileInfo& storedInfo() const { return info_; }

    // Text of comment slot `slot` (0..9) of page `page` (1-based; only 1 is used) of a
    // file on disk, without decoding pixels; nullopt when absent, empty or unreadable.
    static std::optional<std::string> ReadComment(const std::string& file, int page, int slot);
    // All ten comment slots of page 1 of a file in one read, without decoding
    // pixels; on failure `out` is all empty.
    static Status ReadComments(const std::string& file,
                               std::array<std::string, kCommentSlots>& out);

    // Sets the text the next SavePage writes into a slot; an empty text writes no tag.
    void SetComment(int slot, const std::string& text);
    const std::string& comment(int slot) const;

    // Writes the image over `file` (or creates it) with compression `format` and
    // `bits` per pixel: a gray or colour image saved at 1 bit is thresholded; a
    // Group 3/4 format with more than 1 bit is written LZW. The page's own
    // resolution is written (swapped by quarter turns); every other tag of the file
    // replaced is kept, comment slots are as set, pages 2..n of a multi-page file
    // are kept. Atomic: on failure the old file is left whole.
    Status SavePage(const std::string& file, int format, int bits);
    // As SavePage, but the other tags and later pages come from `basis`, which must
    // be readable, and not from `file`. The folder of `file` is not synced: this is
    // for a file its caller puts in place afterwards, syncing the folder then.
    Status SavePageFrom(const std::string& basis, const std::string& file, int format, int bits);

    // ---- the page held ----
    bool hasImage() const { return static_cast<bool>(pix_); }
    PIX* pix() const { return pix_.get(); }  // borrowed; null when no image
    // Replaces the image (takes ownership); used by the operations and by tests.
    void setImage(PixPtr pix, int xResolution, int yResolution);
    void clearImage();
    // Takes over the page `from` loaded (image, resolution, stored form, comment
    // slots, damage) as if this engine had loaded it; `from` is left empty. Lets a
    // page decoded by another engine on another thread be shown without decoding again.
    void takeLoadedPage(PageEngine& from);
    // Changes every time the pixels change (load, edit, clear); the view's cache key.
    std::uint64_t generation() const { return generation_; }

    int XResolution() const { return xres_; }
    int YResolution() const { return yres_; }
    float PageWidth() const;
    float PageHeight() const;

    // Depth and photometric sense of the page as loaded (for saving a new file).
    int loadedFormat() const { return loadedFormat_; }
    int loadedBitDepth() const { return loadedBitDepth_; }

    // True when the last LoadPage succeeded only partly; damageReason() says why.
    bool damaged() const { return damaged_; }
    const std::string& damageReason() const { return damageReason_; }
    // True when the page loaded holds its samples in fewer bits than its file
    // stores them (16-bit colour is held in 8 bits a channel); saving it back would
    // lose the rest. 16-bit gray is held whole.
    bool samplesNarrowed() const { return narrowed_; }

    // ---- operations (PageEngineOps.cpp) ----

    // Rotates clockwise by `hundredths` of a degree (9000, 18000 or 27000); with
    // `resize` the frame grows to hold the turned image; new area is `fillRgb`.
    Status Rotate(int hundredths, bool resize, std::uint32_t fillRgb);
    // Black for white (colour pages: each channel inverted).
    Status Invert();
    // Region in page pixels: the region becomes exactly this rectangle.
    void SetRegionRect(float left, float top, float width, float height);
    // Paints the region with `rgb` (white is 0xFFFFFF); cut at the page's edges; a
    // region of zero or negative size, or none, changes nothing.
    Status FillRegion(std::uint32_t rgb);
    void ClearRegion();
    bool hasRegion() const { return region_.has_value(); }
    // Removes isolated specks of a few pixels; never touches text strokes.
    Status Despeckle();
    // Specks the last successful Despeckle removed.
    int specksRemoved() const { return specksRemoved_; }
    // Finds the skew within +-15 degrees and straightens; leaves the page untouched
    // when the confidence is low. 1-bit pages stay 1-bit.
    DeskewResult Deskew();

  private:
    void touch() { ++generation_; }

    PixPtr pix_;
    int xres_ = 0;
    int yres_ = 0;
    int loadedFormat_ = 0;
    int loadedBitDepth_ = 0;
    FileInfo info_;
    std::array<std::string, kCommentSlots> comments_;
    struct Region {
        float left, top, width, height;
    };
    std::optional<Region> region_;
    bool damaged_ = false;
    bool narrowed_ = false;
    std::string damageReason_;
    std::uint64_t generation_ = 0;
    int specksRemoved_ = 0;
    ByteBudget ownBudget_;
    ByteBudget* budget_ = &ownBudget_;
    std::uint64_t held_ = 0;      // bytes of budget_ the image holds
    int loadedPhotometric_ = -1;  // TIFF photometric of the page as loaded (for a new file)
};

}  // namespace leafmark::imaging
