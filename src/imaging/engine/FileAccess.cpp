#include "imaging/engine/FileAccess.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace leafmark::imaging {

bool isWriteProtected(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false;
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return true;
    return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0;
}

std::string writeProtectedText(const std::string& path) {
    return "the file " + path + " is write-protected";
}

}  // namespace leafmark::imaging
