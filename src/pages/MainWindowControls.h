#pragma once
// What the page records (opening, display, saving, navigation) need of the main
// window's controls. The main window implements it; tests may use the real window.

#include <QString>

class QWidget;

namespace leafmark::imaging {
class PageView;
}

namespace leafmark {

// The page menu items whose enabled state the page records switch.
enum class PageMenuItem { First, Prior, Next, Last, Save, SaveAs, Revert };

class MainWindowControls {
  public:
    virtual ~MainWindowControls() = default;

    virtual QWidget* ownerWindow() = 0;         // owner of message boxes and dialogs
    virtual imaging::PageView& pageView() = 0;  // Imager1
    virtual void setCaption(const QString& text) = 0;

    // CheckBOD: 1 ticked, 0 clear. Setting the value runs its click handler (colour only).
    virtual bool documentMarkerTicked() const = 0;
    virtual void setDocumentMarkerTicked(bool ticked) = 0;

    // The check mark of "&White-Fill": the white-fill mode itself.
    virtual bool whiteFillChecked() const = 0;

    virtual void setMenuEnabled(PageMenuItem item, bool enabled) = 0;
    virtual bool menuEnabled(PageMenuItem item) const = 0;

    // Toolbar button by index (1, 3..9, 16..19, 21, 22); false for absent indices.
    virtual bool toolbarEnabled(int index) const = 0;
    // Enables Toolbar 1, 3..9, 16..19 and CheckBOD (first opening of the run).
    virtual void enablePageButtons() = 0;

    // Told after display has shown a page (the caption is set), and after a save
    // of the page shown wrote `file`. Nothing to do by default.
    virtual void pageShown() {}
    virtual void pageSaved(const QString& file) { (void)file; }
};

}  // namespace leafmark
