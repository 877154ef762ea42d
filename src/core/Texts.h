// Every Slovak text the launcher shows, in one place. The texts are the users' own words:
// change them only together with their users. A CR (character 13) breaks a line in a box.
#pragma once

#include "formats/Result.h"

#include <QString>
#include <system_error>

namespace menu::core::texts {

// ---- The system's reasons ----

// Why the system refused, in Slovak where the launcher knows the error, else as the system
// words it, with its number.
QString reason(const std::error_code &code);
QString reason(const Failure &failure);

// ---- The internet ----

// The internet test itself failed.
QString internetTestFailed();

// ---- Unpacking the launcher's package ----

QString unpackDirNotCreated(const QString &dir);
QString unpackDirNotOpened(const Failure &failure);
QString folderNotCreated(const Failure &failure);
QString folderAttributesNotSet(const Failure &failure);
QString fileNotCreated(const Failure &failure);
QString fileNotWritten(const Failure &failure);
QString fileAttributesNotSet(const Failure &failure);
QString filesNotFlushed(const Failure &failure);
QString entryOutsideUnpackDir(const QString &name);
QString entryWithoutName(const QString &name);
QString notEnoughSpace(quint64 needed, qint64 available);

} // namespace menu::core::texts
