#include "imaging/engine/PageEngine.h"

namespace leafmark::imaging {

PageEngine::PageEngine() = default;
PageEngine::~PageEngine() { clearImage(); }

void PageEngine::setSharedBudget(ByteBudget* budget) {
    clearImage();
    budget_ = budget ? budget : &ownBudget_;
}

void PageEngine::SetComment(int slot, const std::string& text) {
    if (slot < 0 || slot >= kCommentSlots) return;
    comments_[static_cast<std::size_t>(slot)] = text;
}

const std::string& PageEngine::comment(int slot) const {
    static const std::string empty;
    if (slot < 0 || slot >= kCommentSlots) return empty;
    return comments_[static_cast<std::size_t>(slot)];
}

void PageEngine::setImage(PixPtr pix, int xResolution, int yResolution) {
    pix_ = std::move(pix);
    xres_ = xResolution;
    yres_ = yResolution;
    touch();
}

void PageEngine::clearImage() {
    pix_.reset();
    budget_->release(held_);
    held_ = 0;
    xres_ = yres_ = 0;
    loadedFormat_ = loadedBitDepth_ = 0;
    damaged_ = false;
    narrowed_ = false;
    damageReason_.clear();
    region_.reset();
    touch();
}

void PageEngine::takeLoadedPage(PageEngine& from) {
    clearImage();
    setImage(std::move(from.pix_), from.xres_, from.yres_);
    loadedFormat_ = from.loadedFormat_;
    loadedBitDepth_ = from.loadedBitDepth_;
    loadedPhotometric_ = from.loadedPhotometric_;
    comments_ = from.comments_;
    damaged_ = from.damaged_;
    narrowed_ = from.narrowed_;
    damageReason_ = from.damageReason_;
    from.clearImage();
    from.comments_ = {};
}

float PageEngine::PageWidth() const {
    return pix_ ? static_cast<float>(pixGetWidth(pix_.get())) : 0.0f;
}

float PageEngine::PageHeight() const {
    return pix_ ? static_cast<float>(pixGetHeight(pix_.get())) : 0.0f;
}

}  // namespace leafmark::imaging
