#pragma once
// Reading files that must be plain files: opened without blocking, so a named
// pipe or a device under the expected name cannot hold the program up, and
// refused unless the open descriptor is a regular file. Errors carry the
// operating system's own reason.

#include <QByteArray>
#include <QString>
#include <optional>

namespace leafmark {

// A regular file open for reading (blocking reads once its type is known).
class RegularFile {
  public:
    explicit RegularFile(const QString& path);
    ~RegularFile();
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    // Size when opened, in bytes.
    qint64 size() const { return size_; }
    // Why the file could not be opened, e.g. "No such file or directory" or
    // "not a regular file (a named pipe)"; empty when open.
    const QString& error() const { return error_; }

  private:
    int fd_ = -1;
    qint64 size_ = 0;
    QString error_;
};

// The whole of a regular file of at most `maxBytes`; nullopt for anything else
// or a read error.
std::optional<QByteArray> readRegularFile(const QString& path, qint64 maxBytes);

// The operating system's sentence for an errno value.
QString systemErrorText(int err);

}  // namespace leafmark
