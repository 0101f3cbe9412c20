#pragma once
// Test bench for the main window: a temporary program folder (settings file,
// help document) and page folder, the shared state, scripted dialogs, and the
// real window built on them. Pages are written and read back with support/TestPages.

#include <gtest/gtest.h>

#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>
#include <functional>
#include <memory>

#include "app/MainWindow.h"
#include "shared/SharedState.h"
#include "support/ScriptedDialogs.h"
#include "support/TestPages.h"

namespace leafmark::testing {

// Leptonica's value of the page held by the view at (x, y): 1 black, 0 white.
int shownPixel(app::MainWindow& w, int x, int y);

// Processes events (deferred deletions included) until `done` holds; false on timeout.
bool waitFor(const std::function<bool()>& done, int timeoutMs = 10000);

class AppTest : public ::testing::Test {
  protected:
    AppTest();
    ~AppTest() override;

    // Writes lines into the settings file, e.g. {"[Setup]", "Window=2"}.
    void writeSettings(const QStringList& lines);
    QString settingsText() const;
    // Builds the window (start-up runs) and records Help and Exit instead of acting.
    app::MainWindow& makeWindow();
    // Writes `count` pages 00000001.tif ... into the page folder.
    void makePages(int count);
    QString page(int n) const;
    // Opens page `n` through the Open File command with a scripted dialog answer.
    void openThroughMenu(int n);
    void trigger(app::MenuItem item);

    QTemporaryDir tmp;
    QString appDir;   // ends with "/"
    QString pageDir;  // no trailing "/"
    SharedState state;
    ScriptedDialogs dialogs;
    std::unique_ptr<app::MainWindow> window;
    int quitCalls = 0;
    QList<QUrl> openedUrls;
};

}  // namespace leafmark::testing
