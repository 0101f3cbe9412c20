#pragma once
// The temporary files and folders this program makes beside pages, and removing
// the ones a killed save or run left behind.
//
// Ours are named ".NAME.leafmark-XXXXXX" (a page or end-of-document file being
// written or moved aside) and ".leafmark-XXXXXX/" (a batch run's scratch folder).
// While any of them exists, its maker holds a shared lock on the folder (FolderInUse).
// Locks end with the process that holds them, so a folder that can be locked
// exclusively has no temporary file of a live process in it: whatever of ours is
// left there belongs to a process that is gone.

#include <string>

namespace leafmark::imaging {

// The mkstemp template of a temporary file beside `path` (same folder).
std::string temporaryTemplateFor(const std::string& path);

// A shared lock on a folder, held while this process has temporary files in it.
// A folder that cannot be opened or locked is used without one.
class FolderInUse {
  public:
    explicit FolderInUse(const std::string& folder);
    ~FolderInUse();
    FolderInUse(const FolderInUse&) = delete;
    FolderInUse& operator=(const FolderInUse&) = delete;

  private:
    int fd_ = -1;
};

struct LeftoverSweep {
    bool swept = false;  // false: the folder is in use (or cannot be read); nothing was touched
    int removed = 0;     // temporary files and scratch folders removed
    int restored = 0;    // moved-aside end-of-document files put back under their own names
};

// Clears our leftovers from `folder` when no live process is using it. Only entries
// named as ours and owned by the running user are touched; a scratch folder holding
// a folder is left whole. A moved-aside end-of-document file may be the only copy of
// its marker: it is never deleted, but put back under its own name when that name
// is free (and left as it is when not).
LeftoverSweep sweepLeftovers(const std::string& folder);

}  // namespace leafmark::imaging
