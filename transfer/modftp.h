#pragma once

#include <QDateTime>

#include <cstdint>

namespace modFTP {

// True while an unattended FTP job runs (from its start until the next job starts): the FTP
// class then shows transfer progress on the notification popup instead of the progress form.
extern bool gFTPAutomatico;

// The local date-time of a file time (100-nanosecond intervals since 1 January 1601 UTC),
// moved to local time by the current distance from UTC.
QDateTime FileTimeAFecha(std::uint64_t fileTime);

}  // namespace modFTP
