#pragma once
// A new output file that appears whole or not at all: written under a temporary
// name in the folder of its final name, synced, then put in place. Without
// replace, an existing file of that name is never touched (the check and the
// move are one step, so a file made meanwhile is not overwritten either).

#include "imaging/engine/Leftovers.h"
#include "imaging/engine/Status.h"

#include <memory>
#include <string>

namespace leafmark::imaging {

class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile();  // removes the temporary file unless committed
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Creates the temporary file beside `path` (mode 0644).
    Status open(const std::string& path);
    // Descriptor of the temporary file, open for reading and writing; -1 before open.
    int fd() const { return fd_; }
    // Syncs the file and gives it its final name. With `replace` false an existing
    // file of that name makes it fail ("already exists") and stays as it was.
    Status commit(bool replace);

private:
    std::string path_, temp_;
    int fd_ = -1;
    std::unique_ptr<FolderInUse> inUse_;  // from open() until this object goes, its temporary file with it
};

}  // namespace leafmark::imaging
