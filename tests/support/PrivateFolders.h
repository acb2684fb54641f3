#pragma once

// Points HOME, XDG_CONFIG_HOME, XDG_RUNTIME_DIR and TMPDIR at folders of their own below base,
// so a test or benchmark program never touches the user's per-user store or work files.

#include <QDir>
#include <QFile>
#include <QString>

namespace testsupport {

inline void UsePrivateFolders(const QString& base)
{
    for (const char* name : {"home", "config", "runtime", "tmp"})
        QDir(base).mkpath(QString::fromLatin1(name));
    QFile::setPermissions(base + "/runtime", QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("HOME", QFile::encodeName(base + "/home"));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(base + "/config"));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(base + "/runtime"));
    qputenv("TMPDIR", QFile::encodeName(base + "/tmp"));
}

} // namespace testsupport
