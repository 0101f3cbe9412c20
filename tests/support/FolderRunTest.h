#pragma once
// What the tests of whole folder runs share: a temporary root holding an input
// folder and an output folder, a command-line program run to its end, and readers
// for the folders and JSON-line reports it leaves behind.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <map>
#include <vector>

namespace leafmark::testing {

struct CommandResult {
    int status = -1;  // exit status; -1 when the program did not end by itself
    QString out;
    QString err;
};

// Runs `program` with `args` to its end (at most two minutes).
CommandResult runProgram(const QString& program, const QStringList& args);

// Name -> bytes of the files of `folder` (hidden ones too) whose names match one of
// `patterns` (all files when empty).
std::map<QString, QByteArray> folderBytes(const QString& folder, const QStringList& patterns = {});

// The JSON objects of a text of one object per line; a line that is not one fails the test.
std::vector<QJsonObject> jsonLines(const QByteArray& text);

class FolderRunTest : public ::testing::Test {
  protected:
    FolderRunTest();

    QTemporaryDir root;
    QString in;   // root/in, made empty
    QString out;  // root/out, made empty
};

}  // namespace leafmark::testing
