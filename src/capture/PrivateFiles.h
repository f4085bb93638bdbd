#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QString>

class QSaveFile;

namespace velmora {

// Meetings are personal: every transcript, note, summary, export and history file Velmora
// creates is readable by its owner only, whatever the umask, and so is every folder it
// creates. A file or folder that already exists keeps the mode its owner gave it, also when
// it is rewritten atomically.
namespace PrivateFiles {

inline constexpr QFileDevice::Permissions fileMode = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

// Creates `path` with every missing parent (new folders 0700). Throws FileError naming the
// path and the reason when something that is not a folder is in the way or a folder cannot
// be created.
void createDirectory(const QString& path);

// Opens `file` for an atomic rewrite: a new file gets `fileMode`, an existing one keeps its
// mode. False with the file's error string set when it cannot be opened.
bool open(QSaveFile& file);

// Replaces the file at `path` with `bytes` atomically (see open()). Throws FileError.
void write(const QString& path, const QByteArray& bytes);

// Writes all of `bytes` to `file` and flushes it. False with the system's reason in the
// file's error string (a full disk, say) when it cannot.
bool writeAll(QFileDevice& file, const QByteArray& bytes);

// Gives a file Velmora has just created (a temporary file before its rename) `fileMode`.
bool restrict(QFileDevice& file);

} // namespace PrivateFiles

} // namespace velmora
