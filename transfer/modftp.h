#pragma once

#include "platform/vb/datetime.h"

#include <QString>

#include <cstdint>

namespace modFTP {

// True while an unattended FTP job runs (from its start until the next job starts): the FTP
// class then shows transfer progress on the notification popup instead of the progress form.
extern bool gFTPAutomatico;

// The local clock's reading of a file time (100-nanosecond intervals since 1 January 1601
// UTC), moved to local time by the current distance from UTC.
vb::DateTime FileTimeAFecha(std::uint64_t fileTime);

// Whether a name a server listed can name a file inside the local folder it is downloaded
// to: not empty, not "." or "..", without a folder part ("/" or "\\"), a drive ("C:") or a
// control character.
bool NombreLocalValido(const QString& nombre);

}  // namespace modFTP
