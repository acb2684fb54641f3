#pragma once

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace testsupport {

// A fresh folder for one test, removed afterwards.
class TempFolder : public ::testing::Test {
protected:
    QString path(const QString& name = {}) const { return name.isEmpty() ? dir_.path() : dir_.filePath(name); }

    QString write(const QString& name, const QByteArray& bytes) const
    {
        const QString p = path(name);
        QDir().mkpath(QFileInfo(p).absolutePath());
        QFile f(p);
        if (!f.open(QIODevice::WriteOnly))
            ADD_FAILURE() << "cannot write " << p.toStdString();
        f.write(bytes);
        return p;
    }

    static QByteArray read(const QString& p)
    {
        QFile f(p);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private:
    QTemporaryDir dir_;
};

} // namespace testsupport
