#include "imaging/engine/OutputFile.h"

#include "imaging/engine/TiffHandle.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace leafmark::imaging {

namespace {

std::string folderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

OutputFile::~OutputFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!temp_.empty()) ::unlink(temp_.c_str());
}

Status OutputFile::open(const std::string& path) {
    path_ = path;
    inUse_ = std::make_unique<FolderInUse>(folderOf(path));  // until the temporary file is gone
    std::string temp = temporaryTemplateFor(path);
    fd_ = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd_ < 0) return Status::failure("Cannot write " + path + ": " + errnoText(errno));
    temp_ = temp;
    ::fchmod(fd_, 0644);
    return Status::success();
}

Status OutputFile::commit(bool replace) {
    auto fail = [&](int err) { return Status::failure("Cannot write " + path_ + ": " + errnoText(err)); };
    if (fd_ < 0) return Status::failure("Cannot write " + path_ + ": the file was not opened");
    if (::fsync(fd_) != 0) return fail(errno);
    const int closed = ::close(fd_);
    fd_ = -1;
    if (closed != 0) return fail(errno);
    if (replace) {
        if (::rename(temp_.c_str(), path_.c_str()) != 0) return fail(errno);
    } else {
        // A hard link fails when the name is taken, where a rename would replace it.
        if (::link(temp_.c_str(), path_.c_str()) != 0) {
            const int err = errno;
            if (err == EEXIST) return Status::failure(path_ + " already exists");
            return fail(err);
        }
        ::unlink(temp_.c_str());
    }
    temp_.clear();
    const int dirFd = ::open(folderOf(path_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return Status::success();
}

}  // namespace leafmark::imaging
