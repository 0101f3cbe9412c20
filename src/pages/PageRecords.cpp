#include "pages/PageRecords.h"

#include "pages/ReadAhead.h"
#include "shared/AppInfo.h"

namespace leafmark {

PageRecords::PageRecords(SharedState& state, Dialogs& dialogs, MainWindowControls& controls)
    : state_(state),
      dialogs_(dialogs),
      controls_(controls),
      readAhead_(std::make_unique<ReadAhead>()) {}

PageRecords::~PageRecords() = default;

void PageRecords::tell(const QString& text) {
    dialogs_.message(controls_.ownerWindow(), text, MsgButtons::Ok, MsgIcon::Exclamation,
                     kAppTitle);
}

}  // namespace leafmark
