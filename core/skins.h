#pragma once

#include <QString>

#include <cstdint>

namespace core {

// A skin of the program folder's "Styles" folder: the file (or folder) and its scheme.
struct Skin {
    QString archivo;  // relative to the program folder, written as the suite writes it
    QString ini;      // the scheme inside a skin folder; empty for a single file
};

// The skin of a "Styles" value: 1 Vista, 2 Luna, 3 Royale, 4 iTunes, any other Office 2007.
Skin skinFor(std::int16_t estilo);

// Reads the "Styles" value of the current Windows user and database from the INI file into
// gEstiloSkin (default 4) and returns it.
std::int16_t leeEstiloSkin();

}  // namespace core
