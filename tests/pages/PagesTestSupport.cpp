#include "PagesTestSupport.h"

#include <sys/resource.h>

#include <QDir>
#include <csignal>

namespace leafmark::testing {

TestControls::TestControls() : view(new imaging::PageView(&owner)) {
    owner.resize(400, 300);
    view->resize(400, 300);
}

FileSizeLimit::FileSizeLimit(std::uint64_t bytes) {
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    oldCur_ = limit.rlim_cur;
    // Past the limit a write gets EFBIG instead of the signal that would end the test.
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit() {
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = oldCur_;
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, oldHandler_);
}

PagesTest::PagesTest() : controls(std::make_unique<TestControls>()) {
    state.captionprefix = QStringLiteral("Leafmark  ");
    records = std::make_unique<PageRecords>(state, dialogs, *controls);
}

PagesTest::~PagesTest() = default;

void PagesTest::makePages(int count) {
    for (int i = 1; i <= count; ++i) {
        writePage(path(QStringLiteral("%1.tif").arg(i, 8, 10, QLatin1Char('0'))), markedPage(i));
    }
}

QString PagesTest::shownName() const {
    return state.currentfile.mid(state.currentfile.lastIndexOf(QLatin1Char('/')) + 1);
}

QStringList PagesTest::eodFiles() const {
    return QDir(dir.path()).entryList({QStringLiteral("*.EOD")}, QDir::Files, QDir::Name);
}

}  // namespace leafmark::testing
