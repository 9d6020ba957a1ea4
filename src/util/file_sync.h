#pragma once

#include <QFileDevice>
#include <QString>

namespace quorvel {

// Pushes what was written to an open file to the disk; empty on success, else the reason. A
// write-back failure (a full network share, an I/O error) often shows only here, after writes that
// looked fine. Windows leaves this to QSaveFile's own flush before the replace.
QString SyncToDisk(QFileDevice& file);

} // namespace quorvel
