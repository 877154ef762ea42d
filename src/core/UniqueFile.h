// New files beside the ones they will replace, so that a rename puts them in place at once.
#pragma once

#include <QByteArray>

namespace menu::core {

// Creates a file named prefix + a random part + suffix that did not exist before, open for
// writing with the usual 0666 less umask, and sets path to its name. Returns the descriptor,
// or -1 with errno set when no such file can be made.
int createUniqueFile(const QByteArray &prefix, const QByteArray &suffix, QByteArray &path);

} // namespace menu::core
