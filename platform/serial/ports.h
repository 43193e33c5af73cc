#pragma once

#include <QString>

// Where a numbered serial port ("COMn") is on this machine.
namespace serial {

// The device of port `n`: the per-user setting "COMn" of section "Puertos" of application
// "Zentrik" when there is one, else /dev/ttyS(n-1). Empty for a number below 1.
QString devicePath(int port);

// Writes the setting devicePath reads (an empty path removes the choice). False when the
// settings store cannot be written.
bool setDevicePath(int port, const QString& path);

}  // namespace serial
