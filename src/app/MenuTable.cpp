#include "app/MenuTable.h"

namespace leafmark::app {

namespace {

using C = Command;
using M = MenuItem;

// Menu items start enabled; start-up leaves the page commands disabled until a
// page is opened. "&White-Fill" is the white-fill mode and starts checked; the
// View menu's marks are set each time it opens. The rows are alike on purpose: one an item.
constexpr MenuEntry kMenus[] = {
    {M::File, "mnuFile", "&File", std::nullopt, C::None, true, false, false},
    {M::Open, "mnuOpen", "&Open File", M::File, C::Open, true, false, false},
    {M::First, "mnuFirst", "&First", M::File, C::First, false, false, false},
    {M::Prior, "mnuPrior", "&Prior", M::File, C::Prior, false, false, false},
    {M::Next, "mnuNext", "&Next", M::File, C::Next, false, false, false},
    {M::Last, "mnuLast", "&Last", M::File, C::Last, false, false, false},
    {M::Dash5, "dash5", "-", M::File, C::None, true, false, false},
    {M::Save, "mnuSave", "&Save", M::File, C::Save, false, false, false},
    {M::SaveAs, "mnuSaveAs", "Save &As", M::File, C::SaveAs, false, false, false},
    {M::Dash66, "dash66", "-", M::File, C::None, true, false, false},
    {M::Revert, "mnuRevert", "&Revert Image", M::File, C::Revert, false, false, false},
    {M::Dash88, "dash88", "-", M::File, C::None, true, false, false},
    {M::Process, "mnuProcess", "&Process", M::File, C::Process, true, false, false},
    {M::Dash67, "dash67", "-", M::File, C::None, true, false, false},
    {M::Exit, "mnuExit", "E&xit", M::File, C::Exit, true, false, false},

    {M::Edit, "mnuEdit", "&Edit", std::nullopt, C::None, true, false, false},
    {M::Rotate, "mnuRotate", "&Rotate", M::Edit, C::None, true, false, false},
    {M::Rotate90, "mnuRotate90", "Rotate &Clockwise", M::Rotate, C::RotateClockwise, true, false,
     false},
    {M::Rotate180, "mnuRotate180", "Rotate &Upside", M::Rotate, C::RotateUpside, true, false,
     false},
    {M::Rotate270, "mnuRotate270", "Rotate &Anti-clock", M::Rotate, C::RotateAntiClockwise, true,
     false, false},
    {M::Invert, "mnuInvert", "&Invert", M::Edit, C::Invert, true, false, false},
    {M::WhiteOut, "mnuWhiteOut", "&White-Fill", M::Edit, C::WhiteFill, true, true, true},

    {M::View, "mnuView", "&View", std::nullopt, C::None, true, false, false},
    {M::ActualSize, "mnuActualSize", "&Actual Size", M::View, C::ActualSize, true, true, false},
    {M::Fit, "mnuFit", "&Fit", M::View, C::Fit, true, true, false},
    {M::FitWidth, "mnuFitWidth", "Fit-to-&Width", M::View, C::FitWidth, true, true, false},
    {M::MagFactor, "mnuMagFactor", "&Magnification", M::View, C::Magnification, true, false, false},
    {M::Dash1, "dash1", "-", M::View, C::None, true, false, false},
    {M::ZoomIn, "mnuZoomIn", "&Zoom-in", M::View, C::ZoomIn, true, false, false},
    {M::ZoomOut, "mnuZoomOut", "Zoom-&out", M::View, C::ZoomOut, true, false, false},
    {M::Dash2, "dash2", "-", M::View, C::None, true, false, false},
    {M::Bitonal, "mnuBitonal", "&Bitonal", M::View, C::None, true, false, false},
    {M::ScaletoGray, "mnuScaletoGray", "Scale-to-&Gray", M::Bitonal, C::ScaleToGray, true, true,
     false},
    {M::Normal, "mnuNormal", "&Normal", M::Bitonal, C::Normal, true, true, false},
    {M::FavorBlack, "mnuFavorBlack", "Favor &Black", M::Bitonal, C::FavorBlack, true, true, false},

    {M::Help, "mnuHelp", "&Help", std::nullopt, C::None, true, false, false},
    {M::Help2, "mnuHelp2", "&Help", M::Help, C::Help, true, false, false},
    {M::About, "mnuAbout", "&About", M::Help, C::About, true, false, false},
};

constexpr ToolbarEntry kToolbar[] = {
    {1, "Save and Next", C::SaveAndNext, false, "save-and-next", nullptr},
    {3, "Rotate Anti-clockwise", C::RotateAntiClockwise, false, "rotate-anticlockwise",
     "object-rotate-left"},
    {4, "Rotate Upside", C::RotateUpside, false, "rotate-upside", nullptr},
    {5, "Rotate Clockwise", C::RotateClockwise, false, "rotate-clockwise", "object-rotate-right"},
    {6, "Fit Visible", C::Fit, false, "fit-page", "zoom-fit-best"},
    {7, "Fit-to-Width", C::FitWidth, false, "fit-width", nullptr},
    {8, "Scale-to-Gray", C::ScaleToGray, false, "scale-to-gray", nullptr},
    {9, "Favor Black", C::FavorBlack, false, "favor-black", nullptr},
    {16, "First", C::First, false, "first", "go-first"},
    {17, "Prior", C::Prior, false, "prior", "go-previous"},
    {18, "Next", C::Next, false, "next", "go-next"},
    {19, "Last", C::Last, false, "last", "go-last"},
    {21, "Open File", C::Open, true, "open-file", "document-open"},
    {22, "Process", C::Process, true, "process", nullptr},
};

// Each row stands at its item's place and follows its parent, which opens a menu.
constexpr bool tableInOrder() {
    if (std::size(kMenus) != kMenuItemCount) return false;
    for (std::size_t i = 0; i < std::size(kMenus); ++i) {
        const MenuEntry& e = kMenus[i];
        if (static_cast<std::size_t>(e.item) != i) return false;
        if (e.parent &&
            (*e.parent >= e.item || kMenus[static_cast<int>(*e.parent)].command != C::None))
            return false;
    }
    return true;
}
static_assert(tableInOrder(),
              "menu rows out of the order of MenuItem, or a parent after its child");

}  // namespace

std::span<const MenuEntry> menuTable() { return kMenus; }
std::span<const ToolbarEntry> toolbarTable() { return kToolbar; }

const ToolbarEntry* toolbarEntry(int index) {
    for (const ToolbarEntry& e : kToolbar)
        if (e.index == index) return &e;
    return nullptr;
}

}  // namespace leafmark::app
