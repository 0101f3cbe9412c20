#pragma once
// Atomic replacement of a file: the new content is written under a temporary
// name in the folder of its final name, synced, then put in place and the folder
// synced, so the file appears whole or not at all. The temporary file is removed
// when anything fails or the object goes without a commit. Without replace, an
// existing file of that name is never touched (the check and the move are one
// step, so a file made meanwhile is not overwritten either).

#include <memory>
#include <string>

#include "imaging/engine/Leftovers.h"
#include "imaging/engine/Status.h"

namespace leafmark::imaging {

class OutputFile {
  public:
    // Failures read `failurePrefix` + cause; by default "Cannot write PATH: ".
    explicit OutputFile(std::string failurePrefix = {}) : prefix_(std::move(failurePrefix)) {}
    ~OutputFile();  // removes the temporary file unless committed
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Creates the temporary file beside `path` (beside the file it points to, for a
    // symbolic link), with the permissions of the file it replaces, or 0644 for a new one.
    Status open(const std::string& path);
    // Descriptor of the temporary file, open for reading and writing; -1 before open.
    int fd() const { return fd_; }
    // Name of the temporary file from open() until commit; empty otherwise.
    const std::string& temporaryPath() const { return temp_; }
    // Writes all of `size` bytes at the end of what is written so far.
    Status write(const void* data, std::size_t size);
    // Syncs the file and gives it its final name, with the owner and group of the
    // file it replaces where this user may give them. With `replace` false an
    // existing file of that name makes it fail ("already exists") and stays as it was.
    Status commit(bool replace = true);
    // Commit then leaves the folder unsynced: for a file its caller puts in
    // place afterwards, syncing the folder then.
    void leaveFolderUnsynced() { syncFolder_ = false; }

  private:
    void keepOwner();
    void adoptReplacedTemporary();
    Status failure(const std::string& cause) const { return Status::failure(prefix_ + cause); }

    std::string prefix_, requested_, path_, temp_;
    int fd_ = -1;
    bool syncFolder_ = true;
    std::unique_ptr<FolderInUse>
        inUse_;  // from open() until this object goes, its temporary file with it
};

}  // namespace leafmark::imaging
