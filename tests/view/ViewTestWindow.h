#pragma once
// A shown, frameless page view with the view commands wired as the main window
// wires them, over the test's own shared state and scripted dialogs.

#include <QAction>
#include <QCoreApplication>
#include <memory>

#include "imaging/widget/PageView.h"
#include "support/ScriptedDialogs.h"
#include "view/ViewCommands.h"
#include "view/ViewMapping.h"

namespace leafmark::testing {

// Records the title and default text of each input box as well.
class RecordingDialogs : public ScriptedDialogs {
  public:
    QStringList inputTitles;
    QStringList inputDefaults;
    std::optional<QString> input(QWidget* owner, const QString& prompt, const QString& title,
                                 const QString& defaultText) override {
        inputTitles << title;
        inputDefaults << defaultText;
        return ScriptedDialogs::input(owner, prompt, title, defaultText);
    }
};

struct ViewTestWindow {
    SharedState state;
    RecordingDialogs dialogs;
    imaging::PageView view;
    QAction whiteOut{QStringLiteral("&White-Fill")};
    std::unique_ptr<ViewCommands> commands;

    explicit ViewTestWindow(QSize viewport = QSize(400, 300)) {
        whiteOut.setCheckable(true);
        whiteOut.setChecked(true);
        view.setFrameShape(QFrame::NoFrame);
        view.resize(viewport);
        view.show();
        commands = std::make_unique<ViewCommands>(state, dialogs, view, &view, &whiteOut);
        QObject::connect(&view, &imaging::PageView::BandDone, [this] { commands->bandDone(); });
        applyWhiteFill(view, whiteOut.isChecked());
        QCoreApplication::processEvents();
    }

    // Puts `page` into the view as a load would; `dpi` both ways.
    void show(imaging::PixPtr page, int dpi = 300) {
        view.engine().setImage(std::move(page), dpi, dpi);
        view.Repaint();
    }
};

// A 1-bit page, all black (1) or all white (0).
inline imaging::PixPtr solidPage(int w, int h, bool black) {
    imaging::PixPtr p(pixCreate(w, h, 1));
    if (black) pixSetAll(p.get());
    return p;
}

// Number of black pixels of a 1-bit page inside (or, with `inside` false, outside) a rectangle.
inline long countBlack(PIX* p, int x, int y, int w, int h, bool inside) {
    long n = 0;
    for (int j = 0; j < static_cast<int>(pixGetHeight(p)); ++j)
        for (int i = 0; i < static_cast<int>(pixGetWidth(p)); ++i) {
            const bool in = i >= x && i < x + w && j >= y && j < y + h;
            if (in != inside) continue;
            l_uint32 v = 0;
            pixGetPixel(p, i, j, &v);
            n += v ? 1 : 0;
        }
    return n;
}

}  // namespace leafmark::testing
