#pragma once
// The page view: draws the page held by its own PageEngine, with the size modes,
// zoom, bitonal renderings, scrolling, band selection and mouse events the main
// window uses. Property and signal names follow the imaging component's.

#include <QAbstractScrollArea>
#include <QColor>
#include <QImage>
#include <QRect>
#include <memory>

#include "imaging/engine/PageEngine.h"
#include "imaging/widget/PageRenderer.h"

namespace leafmark::imaging {

// How the page is sized in the view; the numbers are the imaging component's.
enum SizeMode : int {
    kSizeFitWidth = 2,  // the page's width fills the view; scroll down the page
    kSizeFitPage = 3,   // the whole page fits in the view
    kSizeZoom = 4,      // drawn at ZoomPercent
};

// The mouse pointer over the page.
enum CursorShape : int { kCursorDefault = 0, kCursorCrossHair = 2 };

// The button PageMouseButton reports.
enum MouseButton : int { kMouseLeft = 1, kMouseRight = 2, kMouseMiddle = 4 };

class PageView : public QAbstractScrollArea {
    Q_OBJECT
  public:
    explicit PageView(QWidget* parent = nullptr);
    ~PageView() override;

    // The page held and edited; after changing its pixels call Repaint().
    PageEngine& engine() { return engine_; }
    const PageEngine& engine() const { return engine_; }

    // Loads page 1 of `file` into the engine. On failure the view shows the reason
    // inside the page area (no dialog) and nothing of the previous page.
    Status LoadPage(const std::string& file);
    // Shows the page another engine has already loaded (it is taken over, `loaded`
    // is left empty), exactly as LoadPage would show it after a successful load.
    void showLoadedPage(PageEngine& loaded);

    void setBackColor(const QColor& c);
    QColor backColor() const { return backColor_; }

    // How 1-bit pages are drawn; gray and colour pages are always averaged.
    void setBitonalDisplay(BitonalRendering mode);
    BitonalRendering bitonalDisplay() const { return bitonalDisplay_; }

    // Values outside the enum are ignored. Switching from a fit mode to kSizeZoom
    // keeps the page at the size it had.
    void setSizeMode(SizeMode mode);
    SizeMode sizeMode() const { return sizeMode_; }

    // Percent; 100 = one page pixel per window pixel. Reports the drawn scale in
    // every size mode. Setting it only takes effect in kSizeZoom; values not
    // greater than 0 (or not a number) are ignored; the drawn scale is capped so
    // the page stays under 100000 screen pixels a side (then that cap is reported).
    void setZoomPercent(float percent);
    float zoomPercent() const;

    // Window position (viewport pixels) of the drawn page's top-left corner;
    // negative when scrolled.
    float viewLeft() const;
    float viewTop() const;

    // With it on, a left-button drag shows a rubber band and its release sets the
    // band and emits BandDone; a click without movement is no band.
    void setBandSelect(bool on);
    bool bandSelect() const { return bandSelect_; }
    // The last dragged rectangle, in viewport pixels, width and height >= 0.
    float bandLeft() const { return band_.left(); }
    float bandTop() const { return band_.top(); }
    float bandWidth() const { return band_.width(); }
    float bandHeight() const { return band_.height(); }

    void setCursorShape(CursorShape shape);
    CursorShape cursorShape() const { return cursorShape_; }

    // Draws now with the current settings (re-scales the cached page if needed).
    void Repaint();

    // The text shown inside the view when there is no page after a failed load
    // ("Cannot show this page: " and the reason); empty while a page is shown.
    QString messageText() const;

    // Renders the page area as the operator sees it (for tests and benchmarks).
    QImage grabPage();

    // Test hook: how many times the page was scaled for the screen since creation.
    int renderCount() const;

  signals:
    // A completed drag while BandSelect is on.
    void BandDone();
    // A mouse button pressed over the page; shift state (1 Shift, 2 Control,
    // 4 Alt, added); position in page pixels.
    void PageMouseButton(leafmark::imaging::MouseButton button, int shift, float x, float y);

  protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;

  private:
    PageEngine engine_;
    QColor backColor_{220, 219, 197};
    BitonalRendering bitonalDisplay_ = kBitonalNormal;
    SizeMode sizeMode_ = kSizeFitPage;
    float zoomPercent_ = 100.0f;
    bool bandSelect_ = false;
    CursorShape cursorShape_ = kCursorDefault;
    QRectF band_;
    QString message_;
    // Implementation state (layout, scaled-page cache, drag in progress) lives in the .cpp.
    struct Cache;
    std::unique_ptr<Cache> cache_;

    Status pageLoaded(Status st);
    QSize availableSize() const;
    double drawnScale() const;
    void relayout();
    QPointF pageOrigin() const;
    const QImage* scaledImageFor(const QRect& visible);
    void paintMessage(class QPainter& p, const QString& text);
    void paintDamageBar(class QPainter& p);
};

}  // namespace leafmark::imaging
