#pragma once

#include "support/TempFolder.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>

namespace testsupport {

// A test whose per-user store (config and runtime folders) lives in its own temporary folder, so
// that keys written by one test are never seen by the next. The folders are the environment
// variables' names below path().
class StoreFolders : public TempFolder {
protected:
    void SetUp() override
    {
        for (const char* name : kNames) {
            saved_.append(qgetenv(name));
            QDir().mkpath(path(QString::fromLatin1(name)));
            qputenv(name, QFile::encodeName(path(QString::fromLatin1(name))));
        }
    }
    void TearDown() override
    {
        for (int i = 0; i < saved_.size(); ++i)
            qputenv(kNames[i], saved_[i]);
    }

private:
    static constexpr const char* kNames[] = {"XDG_CONFIG_HOME", "XDG_RUNTIME_DIR"};
    QList<QByteArray> saved_;
};

} // namespace testsupport
