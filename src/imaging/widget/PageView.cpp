#include "imaging/widget/PageView.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <QRubberBand>
#include <QScrollBar>
#include <algorithm>
#include <cmath>
#include <limits>

#include "imaging/widget/PageRenderer.h"

namespace leafmark::imaging {

namespace {
// Longest side, in screen pixels, the page may be drawn at.
constexpr double kMaxDrawnSide = 100000.0;
// The whole scaled page is kept while it needs at most this many bytes; beyond
// that only the visible part (with a margin) is scaled and kept.
constexpr qint64 kFullCacheBytes = 96ll * 1024 * 1024;
constexpr int kPartialMargin = 256;
}  // namespace

struct PageView::Cache {
    // Layout of the page in the viewport.
    double scale = 1.0;
    QSize scaled;   // drawn page size, screen pixels; empty without a page
    QPoint offset;  // centring offset when the page is smaller than the viewport

    // The page in a drawable form, for one engine generation.
    std::uint64_t preparedGeneration = std::numeric_limits<std::uint64_t>::max();
    PixPtr prepared;

    // The scaled page (or its visible part `rect`), in device pixels of the
    // drawn page: on a high-density screen (device pixel ratio `ratio` above 1)
    // the page is scaled for the screen's own pixels, not for layout pixels.
    bool valid = false;
    std::uint64_t generation = 0;
    double imageScale = 0.0;
    double ratio = 1.0;
    int bitonal = -1;  // the BitonalRendering of `image`; -1 before the first
    QRect rect;
    QImage image;
    int renders = 0;

    // A band drag in progress.
    QRubberBand* rubber = nullptr;
    QPoint dragStart;
    bool dragging = false;
};

PageView::PageView(QWidget* parent)
    : QAbstractScrollArea(parent), cache_(std::make_unique<Cache>()) {
    cache_->rubber = new QRubberBand(QRubberBand::Rectangle, viewport());
    cache_->rubber->hide();
    viewport()->setAutoFillBackground(false);
    // paintEvent covers every exposed pixel (page or back colour), so nothing
    // needs clearing first and a grab can use an opaque buffer.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    horizontalScrollBar()->setSingleStep(20);
    verticalScrollBar()->setSingleStep(20);
    relayout();
}

PageView::~PageView() = default;

Status PageView::LoadPage(const std::string& file) {
    message_.clear();
    return pageLoaded(engine_.LoadPage(file));
}

void PageView::showLoadedPage(PageEngine& loaded) {
    message_.clear();
    engine_.takeLoadedPage(loaded);
    pageLoaded(Status::success());
}

Status PageView::pageLoaded(Status st) {
    if (!st.ok()) {
        // Nothing of the previous page may stay on screen.
        if (engine_.hasImage()) engine_.clearImage();
        message_ = QStringLiteral("Cannot show this page: ") + QString::fromStdString(st.reason());
    }
    cache_->valid = false;
    cache_->image = QImage();
    relayout();
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
    viewport()->update();
    return st;
}

void PageView::setBackColor(const QColor& c) {
    backColor_ = c;
    viewport()->update();
}

void PageView::setBitonalDisplay(BitonalRendering mode) {
    bitonalDisplay_ = mode;
    viewport()->update();
}

void PageView::setSizeMode(SizeMode mode) {
    if (mode != kSizeFitWidth && mode != kSizeFitPage && mode != kSizeZoom) return;
    if (mode == kSizeZoom && sizeMode_ != kSizeZoom && engine_.hasImage())
        zoomPercent_ = static_cast<float>(drawnScale() * 100.0);
    sizeMode_ = mode;
    relayout();
    viewport()->update();
}

void PageView::setZoomPercent(float percent) {
    if (!(percent > 0.0f) || !std::isfinite(percent)) return;
    if (sizeMode_ != kSizeZoom || !engine_.hasImage()) {
        zoomPercent_ = percent;
        return;
    }
    // Along an axis already scrolled, the page point at the viewport's centre stays
    // there; an axis at its start stays at the start (a new page opens at its top).
    const QPointF centre(viewport()->width() / 2.0, viewport()->height() / 2.0);
    const double before = drawnScale();
    const QPointF pagePoint = (centre - pageOrigin()) / before;
    const bool keepX = horizontalScrollBar()->value() != 0;
    const bool keepY = verticalScrollBar()->value() != 0;
    zoomPercent_ = percent;
    relayout();
    const double after = drawnScale();
    if (keepX)
        horizontalScrollBar()->setValue(
            static_cast<int>(std::lround(pagePoint.x() * after - centre.x() + cache_->offset.x())));
    if (keepY)
        verticalScrollBar()->setValue(
            static_cast<int>(std::lround(pagePoint.y() * after - centre.y() + cache_->offset.y())));
    viewport()->update();
}

float PageView::zoomPercent() const {
    if (!engine_.hasImage()) return zoomPercent_;
    return static_cast<float>(drawnScale() * 100.0);
}

float PageView::viewLeft() const { return static_cast<float>(pageOrigin().x()); }
float PageView::viewTop() const { return static_cast<float>(pageOrigin().y()); }

void PageView::setBandSelect(bool on) {
    bandSelect_ = on;
    if (!on && cache_->dragging) {
        cache_->dragging = false;
        cache_->rubber->hide();
    }
}

void PageView::setCursorShape(CursorShape shape) {
    cursorShape_ = shape;
    if (shape == kCursorCrossHair)
        viewport()->setCursor(Qt::CrossCursor);
    else
        viewport()->unsetCursor();
}

void PageView::Repaint() {
    relayout();
    viewport()->update();
}

QString PageView::messageText() const { return engine_.hasImage() ? QString() : message_; }

QImage PageView::grabPage() {
    relayout();
    return viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

int PageView::renderCount() const { return cache_->renders; }

QSize PageView::availableSize() const { return contentsRect().size(); }

double PageView::drawnScale() const {
    if (!engine_.hasImage()) return zoomPercent_ / 100.0;
    const double pw = engine_.PageWidth();
    const double ph = engine_.PageHeight();
    double s = zoomPercent_ / 100.0;
    const QSize avail = availableSize();
    if (sizeMode_ == kSizeFitPage) {
        s = std::min(avail.width() / pw, avail.height() / ph);
    } else if (sizeMode_ == kSizeFitWidth) {
        s = avail.width() / pw;
        if (ph * s > avail.height())
            s = (avail.width() - verticalScrollBar()->sizeHint().width()) / pw;
    }
    const double longest = std::max(pw, ph);
    return std::clamp(s, 1.0 / longest, kMaxDrawnSide / longest);
}

void PageView::relayout() {
    Cache& c = *cache_;
    c.scale = drawnScale();
    c.scaled = engine_.hasImage() ? scaledPageSize(pixGetWidth(engine_.pix()),
                                                   pixGetHeight(engine_.pix()), c.scale)
                                  : QSize();
    // Decide the scroll bars here rather than leave it to the scroll area, which
    // settles them later: the origin must be right as soon as the layout changes.
    const QSize avail = availableSize();
    const int barW = verticalScrollBar()->sizeHint().width();
    const int barH = horizontalScrollBar()->sizeHint().height();
    bool needH = sizeMode_ == kSizeZoom && c.scaled.width() > avail.width();
    bool needV = sizeMode_ != kSizeFitPage && c.scaled.height() > avail.height();
    if (sizeMode_ == kSizeZoom) {
        if (needH && !needV) needV = c.scaled.height() > avail.height() - barH;
        if (needV && !needH) needH = c.scaled.width() > avail.width() - barW;
    }
    setHorizontalScrollBarPolicy(needH ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(needV ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    const QSize vp(std::max(0, avail.width() - (needV ? barW : 0)),
                   std::max(0, avail.height() - (needH ? barH : 0)));
    horizontalScrollBar()->setRange(0, std::max(0, c.scaled.width() - vp.width()));
    verticalScrollBar()->setRange(0, std::max(0, c.scaled.height() - vp.height()));
    horizontalScrollBar()->setPageStep(std::max(1, vp.width()));
    verticalScrollBar()->setPageStep(std::max(1, vp.height()));
    c.offset = QPoint(std::max(0, (vp.width() - c.scaled.width()) / 2),
                      std::max(0, (vp.height() - c.scaled.height()) / 2));
}

QPointF PageView::pageOrigin() const {
    return QPointF(cache_->offset.x() - horizontalScrollBar()->value(),
                   cache_->offset.y() - verticalScrollBar()->value());
}

const QImage* PageView::scaledImageFor(const QRect& visible) {
    Cache& c = *cache_;
    const std::uint64_t gen = engine_.generation();
    if (c.preparedGeneration != gen) {
        c.prepared = prepareForDisplay(engine_.pix());
        c.preparedGeneration = gen;
        c.valid = false;
    }
    if (!c.prepared) return nullptr;
    const double ratio = std::max(1.0, devicePixelRatioF());
    const QRect visibleDevice =
        ratio == 1.0 ? visible
                     : QRectF(QPointF(visible.topLeft()) * ratio, QSizeF(visible.size()) * ratio)
                           .toAlignedRect();
    if (c.valid && c.generation == gen && c.imageScale == c.scale && c.ratio == ratio &&
        c.bitonal == bitonalDisplay_ && c.rect.contains(visibleDevice))
        return &c.image;
    const double deviceScale = c.scale * ratio;
    const QSize deviceSize = ratio == 1.0
                                 ? c.scaled
                                 : scaledPageSize(pixGetWidth(c.prepared.get()),
                                                  pixGetHeight(c.prepared.get()), deviceScale);
    const QRect whole(QPoint(0, 0), deviceSize);
    // Kept as 32-bit pixels the screen draws without conversion.
    const qint64 bytesPerPixel = 4;
    const bool full =
        qint64(deviceSize.width()) * deviceSize.height() * bytesPerPixel <= kFullCacheBytes;
    const int margin = static_cast<int>(kPartialMargin * ratio);
    const QRect rect =
        full ? whole : visibleDevice.adjusted(-margin, -margin, margin, margin).intersected(whole);
    RenderOptions options;
    options.rgb32 = true;
    options.threads = 0;
    c.image = renderScaled(c.prepared.get(), deviceScale, bitonalDisplay_, rect, options);
    ++c.renders;
    c.valid = !c.image.isNull();
    c.generation = gen;
    c.imageScale = c.scale;
    c.ratio = ratio;
    c.bitonal = bitonalDisplay_;
    c.rect = rect;
    return c.valid ? &c.image : nullptr;
}

void PageView::paintEvent(QPaintEvent* e) {
    QPainter p(viewport());
    if (!engine_.hasImage()) {
        p.fillRect(e->rect(), backColor_);
        if (!message_.isEmpty()) paintMessage(p, message_);
        return;
    }
    // The layout may be stale when the page changed without a Repaint.
    if (cache_->preparedGeneration != engine_.generation()) relayout();
    const QPoint origin = pageOrigin().toPoint();
    const QRect pageRect(origin, cache_->scaled);
    const QRect visible = pageRect.intersected(viewport()->rect());
    QRect drawn;  // the part of the exposed area the page covers
    if (!visible.isEmpty()) {
        if (const QImage* img = scaledImageFor(visible.translated(-origin))) {
            drawn = e->rect().intersected(pageRect);
            const double ratio = cache_->ratio;
            if (ratio == 1.0) {
                const QRect source = drawn.translated(-origin).translated(-cache_->rect.topLeft());
                p.drawImage(drawn.topLeft(), *img, source);
            } else {
                // Device pixels of the scaled page onto the layout rectangle they cover.
                const QRectF source(QPointF(drawn.translated(-origin).topLeft()) * ratio -
                                        QPointF(cache_->rect.topLeft()),
                                    QSizeF(drawn.size()) * ratio);
                p.drawImage(QRectF(drawn), *img, source);
            }
        }
    }
    // The back colour goes only where the page is not: each pixel is written once.
    for (const QRect& r : e->region().subtracted(QRegion(drawn))) p.fillRect(r, backColor_);
    if (engine_.damaged()) paintDamageBar(p);
}

void PageView::paintMessage(QPainter& p, const QString& text) {
    // A blank sheet in the middle of the view carrying the reason.
    const QRect vp = viewport()->rect();
    const int w = std::min(vp.width() - 20, 480);
    const int h = std::min(vp.height() - 20, 200);
    const QRect sheet(vp.center().x() - w / 2, vp.center().y() - h / 2, w, h);
    p.fillRect(sheet, Qt::white);
    p.setPen(QColor(90, 90, 90));
    p.drawRect(sheet.adjusted(0, 0, -1, -1));
    p.setPen(QColor(160, 0, 0));
    p.drawText(sheet.adjusted(12, 12, -12, -12), Qt::AlignCenter | Qt::TextWordWrap, text);
}

void PageView::paintDamageBar(QPainter& p) {
    const QFontMetrics fm(font());
    const QRect bar(0, 0, viewport()->width(), fm.height() + 10);
    p.fillRect(bar, QColor(200, 60, 20));
    p.setPen(Qt::white);
    const QString text =
        QStringLiteral("damaged: ") + QString::fromStdString(engine_.damageReason());
    p.drawText(bar.adjusted(8, 0, -8, 0), Qt::AlignVCenter | Qt::AlignLeft,
               fm.elidedText(text, Qt::ElideRight, bar.width() - 16));
}

void PageView::resizeEvent(QResizeEvent* e) {
    QAbstractScrollArea::resizeEvent(e);
    relayout();
}

void PageView::scrollContentsBy(int, int) { viewport()->update(); }

void PageView::mousePressEvent(QMouseEvent* e) {
    const QPoint pos = e->position().toPoint();
    if (bandSelect_ && e->button() == Qt::LeftButton) {
        cache_->dragging = true;
        cache_->dragStart = pos;
        cache_->rubber->setGeometry(QRect(pos, QSize()));
        cache_->rubber->show();
    }
    MouseButton button = kMouseLeft;
    switch (e->button()) {
        case Qt::LeftButton:
            button = kMouseLeft;
            break;
        case Qt::RightButton:
            button = kMouseRight;
            break;
        case Qt::MiddleButton:
            button = kMouseMiddle;
            break;
        default:
            return;
    }
    const Qt::KeyboardModifiers m = e->modifiers();
    const int shift = (m & Qt::ShiftModifier ? 1 : 0) | (m & Qt::ControlModifier ? 2 : 0) |
                      (m & Qt::AltModifier ? 4 : 0);
    const double s = cache_->scale > 0 ? cache_->scale : 1.0;
    const QPointF page = (QPointF(pos) - pageOrigin()) / s;
    // Last: a handler may load another page into this view.
    emit PageMouseButton(button, shift, static_cast<float>(page.x()), static_cast<float>(page.y()));
}

void PageView::mouseMoveEvent(QMouseEvent* e) {
    if (!cache_->dragging) return;
    cache_->rubber->setGeometry(QRect(cache_->dragStart, e->position().toPoint()).normalized());
}

void PageView::mouseReleaseEvent(QMouseEvent* e) {
    if (!cache_->dragging || e->button() != Qt::LeftButton) return;
    cache_->dragging = false;
    cache_->rubber->hide();
    const QPoint end = e->position().toPoint();
    const QPoint start = cache_->dragStart;
    if (end == start) return;
    band_ = QRectF(std::min(start.x(), end.x()), std::min(start.y(), end.y()),
                   std::abs(end.x() - start.x()), std::abs(end.y() - start.y()));
    emit BandDone();
}

}  // namespace leafmark::imaging
