#include "imaging/engine/OutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "imaging/engine/TiffHandle.h"

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

Status OutputFile::open(const std::string& requested) {
    if (prefix_.empty()) prefix_ = "Cannot write " + requested + ": ";
    // Writing over a symbolic link replaces the file it points to, not the link.
    std::string path = requested;
    if (char* real = ::realpath(requested.c_str(), nullptr)) {
        path = real;
        std::free(real);
    }
    requested_ = requested;
    path_ = path;
    const std::string folder = folderOf(path);
    inUse_ = std::make_unique<FolderInUse>(folder);  // until the temporary file is gone
    std::string temp = temporaryTemplateFor(path);
    fd_ = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd_ < 0)
        return failure(errnoText(errno) + " (creating a temporary file in " + folder + ")");
    temp_ = temp;
    struct stat old {};
    // Best effort: a file left with mkostemp's 0600 still holds its content whole.
    ::fchmod(fd_, ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644);
    return Status::success();
}

void OutputFile::keepOwner() {
    // The new file belongs to whoever the replaced one did: a page saved by the
    // administrator, or by a colleague in a shared folder, stays its owner's and its
    // group's to write. Only the superuser may give a file away, so others keep at
    // least the group where they belong to it; failing both, the file is this user's.
    // Done last, so an unfinished temporary file is always this user's to clear.
    struct stat old {};
    struct stat now {};
    if (::stat(path_.c_str(), &old) != 0 || ::fstat(fd_, &now) != 0) return;
    if (old.st_uid == now.st_uid && old.st_gid == now.st_gid) return;
    if (::fchown(fd_, old.st_uid, old.st_gid) != 0 &&
        ::fchown(fd_, static_cast<uid_t>(-1), old.st_gid) != 0)
        return;
    // A change of owner clears the set-id bits.
    ::fchmod(fd_, old.st_mode & 07777);
}

Status OutputFile::write(const void* data, std::size_t size) {
    const auto* p = static_cast<const unsigned char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd_, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return failure(n < 0 ? errnoText(errno) : errnoText(ENOSPC));
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return Status::success();
}

void OutputFile::adoptReplacedTemporary() {
    // A caller may have written the temporary file through its name by a save that
    // puts a new file of its own there: what is committed is the file now at that name,
    // so its owner, group and data sync must be done on it, not on the one we made.
    // A name that is no longer a plain file of ours (a link put there) is not followed.
    const int current = ::open(temp_.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (current < 0) return;  // then the file we made is the one committed, as before
    struct stat made {};
    struct stat now {};
    if (::fstat(fd_, &made) == 0 && ::fstat(current, &now) == 0 && S_ISREG(now.st_mode) &&
        (made.st_ino != now.st_ino || made.st_dev != now.st_dev)) {
        ::close(fd_);
        fd_ = current;
        return;
    }
    ::close(current);
}

Status OutputFile::commit(bool replace) {
    if (fd_ < 0) return failure("the file was not opened");
    adoptReplacedTemporary();
    if (replace) keepOwner();
    if (::fsync(fd_) != 0) return failure(errnoText(errno));
    const int closed = ::close(fd_);
    fd_ = -1;
    if (closed != 0) return failure(errnoText(errno));
    if (replace) {
        if (::rename(temp_.c_str(), path_.c_str()) != 0) return failure(errnoText(errno));
    } else {
        // A hard link fails when the name is taken, where a rename would replace it.
        if (::link(temp_.c_str(), path_.c_str()) != 0) {
            const int err = errno;
            if (err == EEXIST) return Status::failure(requested_ + " already exists");
            return failure(errnoText(err));
        }
        ::unlink(temp_.c_str());
    }
    temp_.clear();
    if (!syncFolder_) return Status::success();
    // Makes the new name durable; the file itself is already in place, so a folder
    // that cannot be synced does not undo the write.
    const int dirFd = ::open(folderOf(path_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return Status::success();
}

}  // namespace leafmark::imaging
