#include "app/MenuTable.h"

namespace leafmark::app {

namespace {

using C = Command;

// Menu items start enabled; start-up leaves the page commands disabled until a
// page is opened. "&White-Fill" is the white-fill mode and starts checked; the
// View menu's marks are set each time it opens.
constexpr MenuEntry kMenus[] = {
    {"mnuFile", "&File", nullptr, C::None, true, false, false},
    {"mnuOpen", "&Open File", "mnuFile", C::Open, true, false, false},
    {"mnuFirst", "&First", "mnuFile", C::First, false, false, false},
    {"mnuPrior", "&Prior", "mnuFile", C::Prior, false, false, false},
    {"mnuNext", "&Next", "mnuFile", C::Next, false, false, false},
    {"mnuLast", "&Last", "mnuFile", C::Last, false, false, false},
    {"dash5", "-", "mnuFile", C::None, true, false, false},
    {"mnuSave", "&Save", "mnuFile", C::Save, false, false, false},
    {"mnuSaveAs", "Save &As", "mnuFile", C::SaveAs, false, false, false},
    {"dash66", "-", "mnuFile", C::None, true, false, false},
    {"mnuRevert", "&Revert Image", "mnuFile", C::Revert, false, false, false},
    {"dash88", "-", "mnuFile", C::None, true, false, false},
    {"mnuProcess", "&Process", "mnuFile", C::Process, true, false, false},
    {"dash67", "-", "mnuFile", C::None, true, false, false},
    {"mnuExit", "E&xit", "mnuFile", C::Exit, true, false, false},

    {"mnuEdit", "&Edit", nullptr, C::None, true, false, false},
    {"mnuRotate", "&Rotate", "mnuEdit", C::None, true, false, false},
    {"mnuRotate90", "Rotate &Clockwise", "mnuRotate", C::RotateClockwise, true, false, false},
    {"mnuRotate180", "Rotate &Upside", "mnuRotate", C::RotateUpside, true, false, false},
    {"mnuRotate270", "Rotate &Anti-clock", "mnuRotate", C::RotateAntiClockwise, true, false,
     false},
    {"mnuInvert", "&Invert", "mnuEdit", C::Invert, true, false, false},
    {"mnuWhiteOut", "&White-Fill", "mnuEdit", C::WhiteFill, true, true, true},

    {"mnuView", "&View", nullptr, C::None, true, false, false},
    {"mnuActualSize", "&Actual Size", "mnuView", C::ActualSize, true, true, false},
    {"mnuFit", "&Fit", "mnuView", C::Fit, true, true, false},
    {"mnuFitWidth", "Fit-to-&Width", "mnuView", C::FitWidth, true, true, false},
    {"mnuMagFactor", "&Magnification", "mnuView", C::Magnification, true, false, false},
    {"dash1", "-", "mnuView", C::None, true, false, false},
    {"mnuZoomIn", "&Zoom-in", "mnuView", C::ZoomIn, true, false, false},
    {"mnuZoomOut", "Zoom-&out", "mnuView", C::ZoomOut, true, false, false},
    {"dash2", "-", "mnuView", C::None, true, false, false},
    {"mnuBitonal", "&Bitonal", "mnuView", C::None, true, false, false},
    {"mnuScaletoGray", "Scale-to-&Gray", "mnuBitonal", C::ScaleToGray, true, true, false},
    {"mnuNormal", "&Normal", "mnuBitonal", C::Normal, true, true, false},
    {"mnuFavorBlack", "Favor &Black", "mnuBitonal", C::FavorBlack, true, true, false},

    {"mnuHelp", "&Help", nullptr, C::None, true, false, false},
    {"mnuHelp2", "&Help", "mnuHelp", C::Help, true, false, false},
    {"mnuAbout", "&About", "mnuHelp", C::About, true, false, false},
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

}  // namespace

std::span<const MenuEntry> menuTable() { return kMenus; }
std::span<const ToolbarEntry> toolbarTable() { return kToolbar; }

const ToolbarEntry* toolbarEntry(int index) {
    for (const ToolbarEntry& e : kToolbar)
        if (e.index == index) return &e;
    return nullptr;
}

}  // namespace leafmark::app
