#pragma once
// Test bench for the page records: the window's controls as plain flags around a
// real page view (real engine), scripted dialogs, and a temporary page folder
// (pages written and read back with support/TestPages).

#include <gtest/gtest.h>

#include <QMap>
#include <QTemporaryDir>
#include <QWidget>
#include <cstdint>
#include <memory>

#include "imaging/widget/PageView.h"
#include "pages/MainWindowControls.h"
#include "pages/PageRecords.h"
#include "shared/SharedState.h"
#include "support/ScriptedDialogs.h"
#include "support/TestPages.h"

namespace leafmark::testing {

// The main window's controls as the page records see them.
class TestControls : public MainWindowControls {
  public:
    TestControls();
    QWidget* ownerWindow() override { return &owner; }
    imaging::PageView& pageView() override { return *view; }
    void setCaption(const QString& text) override { caption = text; }
    bool documentMarkerTicked() const override { return ticked; }
    void setDocumentMarkerTicked(bool on) override { ticked = on; }
    bool whiteFillChecked() const override { return whiteFill; }
    void setMenuEnabled(PageMenuItem item, bool enabled) override { menus[item] = enabled; }
    bool menuEnabled(PageMenuItem item) const override { return menus.value(item, false); }
    bool toolbarEnabled(int index) const override { return index == 1 && pageButtons; }
    void enablePageButtons() override {
        pageButtons = true;
        ++enablePageButtonsCalls;
    }

    QWidget owner;
    imaging::PageView* view;  // child of owner
    QString caption;
    bool ticked = false;
    bool whiteFill = true;
    QMap<PageMenuItem, bool> menus;
    bool pageButtons = false;
    int enablePageButtonsCalls = 0;
};

// While it lives, every write past the first `bytes` bytes of a file fails, also
// for root (the file-size limit of the process); the engine's save then fails.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(std::uint64_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    std::uint64_t oldCur_ = 0;
    void (*oldHandler_)(int) = nullptr;
};

// One page folder, the shared state, scripted dialogs, the controls and the records.
class PagesTest : public ::testing::Test {
  protected:
    PagesTest();
    ~PagesTest() override;

    // Writes `count` pages named 00000001.tif ... with mark = page number.
    void makePages(int count);
    QString path(const QString& name) const { return dir.path() + QStringLiteral("/") + name; }
    // Opens `name` of the folder through the external open request path.
    void open(const QString& name) { records->OpenMaster(path(name)); }
    QString shownName() const;  // bare name of currentfile
    // Entry names whose end-of-document file exists in the folder.
    QStringList eodFiles() const;

    QTemporaryDir dir;
    SharedState state;
    ScriptedDialogs dialogs;
    std::unique_ptr<TestControls> controls;
    std::unique_ptr<PageRecords> records;
};

}  // namespace leafmark::testing
