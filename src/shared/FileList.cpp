#include "shared/FileList.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "shared/NativePath.h"
#include "shared/PageFiles.h"

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
        if (!t.isEmpty()) out << foldedName(t);
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

// Recognises end-of-document files among the raw entries: only the few names
// that end in the suffix are decoded, and only those whose kind the entry does
// not give are looked at, so a folder of ten thousand pages pays a compare per entry.
class EndOfDocumentEntries {
  public:
    explicit EndOfDocumentEntries(DIR* dir) : dir_(dir) {}
    void take(const dirent* entry) {
        const std::size_t length = std::strlen(entry->d_name);
        const auto suffixLength = static_cast<std::size_t>(suffix_.size());
        if (length < suffixLength ||
            ::strcasecmp(entry->d_name + length - suffixLength, suffix_.constData()) != 0)
            return;
        if (entry->d_type == DT_DIR) return;
        struct stat st {};
        if ((entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) &&
            ::fstatat(::dirfd(dir_), entry->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode))
            return;
        found_ << fromNativePath(entry->d_name);
    }
    QStringList sorted() {
        std::sort(found_.begin(), found_.end(), [](const QString& a, const QString& b) {
            const int c = QString::compare(a, b, Qt::CaseInsensitive);
            return c != 0 ? c < 0 : a < b;
        });
        return std::move(found_);
    }

  private:
    DIR* dir_;
    const QByteArray suffix_ = kEndOfDocumentSuffix.toLatin1();
    QStringList found_;
};

}  // namespace

QStringList listEndOfDocumentFiles(const QString& folder) {
    DIR* dir = folder.isEmpty() ? nullptr : ::opendir(nativePath(folder).constData());
    if (!dir) return {};
    EndOfDocumentEntries eod(dir);
    while (const dirent* entry = ::readdir(dir)) eod.take(entry);
    ::closedir(dir);
    return eod.sorted();
}

void FileList::read(const QString& folder, const QString& patterns) {
    folder_ = folder;
    names_.clear();
    endOfDocumentNames_.clear();
    selected_ = -1;
    if (folder.isEmpty()) return;
    DIR* dir = ::opendir(nativePath(folder).constData());
    if (!dir) return;

    const QStringList wanted = foldedPatterns(patterns);
    std::vector<std::pair<QString, QString>> found;  // (folded name, name as stored)
    EndOfDocumentEntries eod(dir);
    while (const dirent* entry = ::readdir(dir)) {
        eod.take(entry);
        if (entry->d_name[0] == '.')  // hidden files, "." and ".."
            continue;
        QString name = fromNativePath(entry->d_name);
        QString folded = foldedName(name);
        if (matchesAny(wanted, folded) && isRegularFile(dir, entry))
            found.emplace_back(std::move(folded), std::move(name));
    }
    ::closedir(dir);
    endOfDocumentNames_ = eod.sorted();

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
    endOfDocumentNames_.clear();
    selected_ = -1;
}

QString FileList::at(int index) const {
    return index >= 0 && index < count() ? names_.at(index) : QString();
}

void FileList::select(int index) { selected_ = index >= 0 && index < count() ? index : -1; }

}  // namespace leafmark
