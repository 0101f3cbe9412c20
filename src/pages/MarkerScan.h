#pragma once
// Reads the document and change markers of every page of a folder on a
// background thread, from the files' tags only (no pixels are decoded), and
// hands them to the user-interface thread in batches as they arrive. Starting
// another scan, or destroying the scanner, stops the one running.

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <atomic>
#include <memory>
#include <thread>

namespace leafmark {

class MarkerScan : public QObject {
    Q_OBJECT
  public:
    // Bits of one page's result.
    enum : quint8 { kBitDocumentMarker = 1, kBitChangeMarker = 2, kBitUnreadable = 4 };

    explicit MarkerScan(QObject* parent = nullptr);
    ~MarkerScan() override;

    // Reads `names` of `folder` in list order; earlier scans stop first.
    void start(const QString& folder, const QStringList& names);
    void stop();
    bool running() const { return worker_.joinable() && !finished_->load(); }

  signals:
    // Results for pages first .. first + bits.size() - 1 of the list scanned last.
    void batchRead(int first, const QList<quint8>& bits);
    // Every page of the list scanned last has been read.
    void finished();

  private:
    std::thread worker_;
    std::shared_ptr<std::atomic<bool>> stop_ = std::make_shared<std::atomic<bool>>(false);
    std::shared_ptr<std::atomic<bool>> finished_ = std::make_shared<std::atomic<bool>>(true);
};

}  // namespace leafmark
