#pragma once
// A settings file of its own in a temporary folder, for the settings tests.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

class IniFileTest : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    QString ini = dir.filePath("leafmark.ini");

    void writeIni(const QByteArray& bytes) {
        QFile f(ini);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray content() {
        QFile f(ini);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
};
