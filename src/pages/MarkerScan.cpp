#include "pages/MarkerScan.h"

#include <QMetaObject>
#include <chrono>

#include "imaging/engine/PageEngine.h"
#include "shared/PageFiles.h"

namespace leafmark {

namespace {
// A batch goes to the window after this many pages or this long, whichever first.
constexpr int kBatchPages = 256;
constexpr auto kBatchTime = std::chrono::milliseconds(100);
}  // namespace

MarkerScan::MarkerScan(QObject* parent) : QObject(parent) {}

MarkerScan::~MarkerScan() { stop(); }

void MarkerScan::stop() {
    stop_->store(true);
    if (worker_.joinable()) worker_.join();
}

void MarkerScan::start(const QString& folder, const QStringList& names) {
    stop();
    stop_ = std::make_shared<std::atomic<bool>>(false);
    finished_ = std::make_shared<std::atomic<bool>>(false);
    // The list is shared, not copied; each path is made on the worker as it is
    // read, so starting costs the caller nothing per page.
    worker_ = std::thread([this, dir = withSeparator(folder), names, stop = stop_,
                           done = finished_] {
        QList<quint8> batch;
        int first = 0;
        auto since = std::chrono::steady_clock::now();
        const auto send = [&] {
            if (batch.isEmpty()) return;
            // Queued to this object: dropped unread if the scanner is gone by then.
            QMetaObject::invokeMethod(
                this,
                [this, first, batch, stop] {
                    if (!stop->load()) emit batchRead(first, batch);
                },
                Qt::QueuedConnection);
            first += static_cast<int>(batch.size());
            batch.clear();
            since = std::chrono::steady_clock::now();
        };
        std::array<std::string, imaging::kCommentSlots> texts;
        for (const QString& name : names) {
            if (stop->load()) return;
            quint8 bits = 0;
            if (imaging::PageEngine::ReadComments(enginePath(dir + name), texts).ok()) {
                if (isDocumentMarker(QString::fromStdString(texts[imaging::kSlotDocumentMarker])))
                    bits |= kBitDocumentMarker;
                if (QString::fromStdString(texts[imaging::kSlotChangeMarker]) == kChangeMarker)
                    bits |= kBitChangeMarker;
            } else {
                bits |= kBitUnreadable;
            }
            batch.append(bits);
            if (batch.size() >= kBatchPages ||
                std::chrono::steady_clock::now() - since > kBatchTime)
                send();
        }
        send();
        done->store(true);
        QMetaObject::invokeMethod(
            this,
            [this, stop] {
                if (!stop->load()) emit finished();
            },
            Qt::QueuedConnection);
    });
}

}  // namespace leafmark
