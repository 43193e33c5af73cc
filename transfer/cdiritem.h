#pragma once

#include "platform/vb/datetime.h"

#include <QString>

#include <cstdint>

// One entry of a remote folder listing: its attribute flags, its times (the local clock's
// readings) and its size.
struct cDirItem {
    bool ReadOnly = false;    // attribute bit 0x1
    bool Hidden = false;      // 0x2
    bool System = false;      // 0x4
    bool Directory = false;   // 0x10
    bool Archive = false;     // 0x20
    bool Normal = false;      // 0x80
    bool Temporary = false;   // 0x100
    bool Compressed = false;  // 0x800
    bool Offline = false;     // 0x1000
    vb::DateTime CreationTime;
    vb::DateTime LastAccessTime;
    vb::DateTime LastWriteTime;
    std::int32_t FileSize = 0;  // the low 32 bits of the size
    QString Filename;
};
