#include "imaging/engine/PageHeader.h"

#include "imaging/engine/TiffDecode.h"
#include "imaging/engine/TiffHandle.h"

namespace leafmark::imaging {

Status readPageHeader(const std::string& file, PageHeader& out) {
    out = PageHeader{};
    TiffReader r = openTiffForReading(file);
    if (!r.tiff) return r.status;
    readDirectoryInfo(r.tiff.get(), out.info);
    for (std::size_t slot = 0; slot < out.comments.size(); ++slot) {
        char* text = nullptr;
        if (TIFFGetField(r.tiff.get(), kCommentTags[slot], &text) && text)
            out.comments[slot] = text;
    }
    return Status::success();
}

}  // namespace leafmark::imaging
