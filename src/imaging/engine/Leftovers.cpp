#include "imaging/engine/Leftovers.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <vector>

namespace leafmark::imaging {

namespace {

constexpr char kMark[] = ".leafmark-";
constexpr std::size_t kMarkSize = sizeof(kMark) - 1;
constexpr std::size_t kRandomSize = 6;  // the XXXXXX of mkstemp and mkdtemp

int openFolder(const std::string& folder) {
    return ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

bool randomPart(const std::string& s, std::size_t from) {
    if (s.size() != from + kRandomSize) return false;
    for (std::size_t i = from; i < s.size(); ++i)
        if (!std::isalnum(static_cast<unsigned char>(s[i]))) return false;
    return true;
}

// ".leafmark-XXXXXX"
bool isScratchFolderName(const std::string& name) {
    return name.compare(0, kMarkSize, kMark) == 0 && randomPart(name, kMarkSize);
}

// ".NAME.leafmark-XXXXXX" with a non-empty NAME; gives NAME.
bool isTemporaryFileName(const std::string& name, std::string& original) {
    if (name.size() < 2 + kMarkSize + kRandomSize || name[0] != '.') return false;
    const std::size_t mark = name.size() - kRandomSize - kMarkSize;
    if (name.compare(mark, kMarkSize, kMark) != 0 || !randomPart(name, mark + kMarkSize))
        return false;
    original = name.substr(1, mark - 1);
    return !original.empty();
}

bool isEndOfDocumentName(const std::string& name) {
    static const char kSuffix[] = "ZZZ.EOD";
    const std::size_t n = sizeof(kSuffix) - 1;
    if (name.size() < n) return false;
    for (std::size_t i = 0; i < n; ++i)
        if (std::toupper(static_cast<unsigned char>(name[name.size() - n + i])) != kSuffix[i])
            return false;
    return true;
}

bool ownedRegularFile(int dir, const std::string& name) {
    struct stat st {};
    return ::fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
           st.st_uid == ::geteuid();
}

std::vector<std::string> entriesOf(int dir) {
    std::vector<std::string> names;
    const int copy = ::dup(dir);
    if (copy < 0) return names;
    DIR* d = ::fdopendir(copy);
    if (!d) {
        ::close(copy);
        return names;
    }
    ::rewinddir(d);
    while (const dirent* e = ::readdir(d)) {
        if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
            names.emplace_back(e->d_name);
    }
    ::closedir(d);
    return names;
}

// Empties and removes a scratch folder of ours; one that holds a folder, or
// anything not the user's own, is not one we made and is left as it is.
bool removeScratchFolder(int parent, const std::string& name) {
    struct stat st {};
    if (::fstatat(parent, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISDIR(st.st_mode) ||
        st.st_uid != ::geteuid())
        return false;
    const int dir = ::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (dir < 0) return false;
    const std::vector<std::string> inside = entriesOf(dir);
    bool plain = true;
    for (const std::string& entry : inside) {
        struct stat es {};
        if (::fstatat(dir, entry.c_str(), &es, AT_SYMLINK_NOFOLLOW) != 0 || S_ISDIR(es.st_mode) ||
            es.st_uid != ::geteuid())
            plain = false;
    }
    if (plain)
        for (const std::string& entry : inside) ::unlinkat(dir, entry.c_str(), 0);
    ::close(dir);
    return plain && ::unlinkat(parent, name.c_str(), AT_REMOVEDIR) == 0;
}

}  // namespace

std::string temporaryTemplateFor(const std::string& path) {
    const auto slash = path.find_last_of('/');
    const std::string folder =
        slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    return folder + (folder == "/" ? "." : "/.") + base + kMark + "XXXXXX";
}

FolderInUse::FolderInUse(const std::string& folder) : fd_(openFolder(folder)) {
    if (fd_ < 0) return;
    int rc;
    do rc = ::flock(fd_, LOCK_SH);
    while (rc != 0 && errno == EINTR);
}

FolderInUse::~FolderInUse() {
    if (fd_ >= 0) ::close(fd_);  // closing releases the lock
}

LeftoverSweep sweepLeftovers(const std::string& folder) {
    LeftoverSweep result;
    const int dir = openFolder(folder);
    if (dir < 0) return result;
    if (::flock(dir, LOCK_EX | LOCK_NB) != 0) {  // someone is working there now
        ::close(dir);
        return result;
    }
    result.swept = true;
    for (const std::string& name : entriesOf(dir)) {
        std::string original;
        if (isTemporaryFileName(name, original)) {
            if (!ownedRegularFile(dir, name)) continue;
            if (!isEndOfDocumentName(original)) {
                if (::unlinkat(dir, name.c_str(), 0) == 0) ++result.removed;
            } else if (::linkat(dir, name.c_str(), dir, original.c_str(), 0) == 0) {
                // A hard link never replaces an existing file, so a marker made since stays.
                ::unlinkat(dir, name.c_str(), 0);
                ++result.restored;
            }
        } else if (isScratchFolderName(name) && removeScratchFolder(dir, name)) {
            ++result.removed;
        }
    }
    ::close(dir);
    return result;
}

}  // namespace leafmark::imaging
