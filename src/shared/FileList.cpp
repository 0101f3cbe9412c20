#include "shared/FileList.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "shared/NativePath.h"

namespace leafmark {
namespace {

// Wildcard match of an already case-folded name: "*" any run of characters,
// "?" exactly one; everything else literally.
bool wildcardMatch(QStringView pattern, QStringView name) {
    qsizetype p = 0, n = 0, star = -1, resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == QLatin1Char('?') || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == QLatin1Char('*')) {
            star = p++;
            resume = n;
        } else if (star >= 0) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == QLatin1Char('*')) ++p;
    return p == pattern.size();
}

// The ";"-separated patterns, blanks trimmed and case-folded; no pattern at
// all means every file.
QStringList foldedPatterns(const QString& patterns) {
    QStringList out;
    for (const QString& p : patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString t = p.trimmed();
        if (!t.isEmpty()) out << t.toCaseFolded();
    }
    if (out.isEmpty()) out << QStringLiteral("*");
    return out;
}

bool matchesAny(const QStringList& patterns, const QString& foldedName) {
    return std::any_of(patterns.begin(), patterns.end(),
                       [&](const QString& p) { return wildcardMatch(p, foldedName); });
}

// True for a regular file, or a link to one. The directory entry's own type
// answers without a stat for everything but links and file systems that do
// not report types.
bool isRegularFile(DIR* dir, const dirent* entry) {
    if (entry->d_type == DT_REG) return true;
    if (entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN) return false;
    struct stat st;
    return ::fstatat(::dirfd(dir), entry->d_name, &st, 0) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

void FileList::read(const QString& folder, const QString& patterns) {
    folder_ = folder;
    names_.clear();
    selected_ = -1;
    if (folder.isEmpty()) return;
    DIR* dir = ::opendir(nativePath(folder).constData());
    if (!dir) return;

    const QStringList wanted = foldedPatterns(patterns);
    std::vector<std::pair<QString, QString>> found;  // (folded name, name as stored)
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.')  // hidden files, "." and ".."
            continue;
        QString name = fromNativePath(entry->d_name);
        QString folded = name.toCaseFolded();
        if (matchesAny(wanted, folded) && isRegularFile(dir, entry))
            found.emplace_back(std::move(folded), std::move(name));
    }
    ::closedir(dir);

    // Without regard to case; names differing only in case keep a fixed order.
    std::sort(found.begin(), found.end());
    names_.reserve(qsizetype(found.size()));
    for (auto& f : found) names_ << std::move(f.second);
}

void FileList::exclude(const QString& suffix) {
    names_.removeIf(
        [&](const QString& name) { return name.endsWith(suffix, Qt::CaseInsensitive); });
    selected_ = -1;
}

void FileList::clear() {
    folder_.clear();
    names_.clear();
    selected_ = -1;
}

QString FileList::at(int index) const {
    return index >= 0 && index < count() ? names_.at(index) : QString();
}

void FileList::select(int index) { selected_ = index >= 0 && index < count() ? index : -1; }

}  // namespace leafmark
