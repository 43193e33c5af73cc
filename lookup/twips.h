#pragma once

// The lookup windows keep sizes in twips (1/1440 inch), as the column-width file stores
// them; the screen is taken at 96 dots per inch, 15 twips a pixel.
namespace twips {

inline int aPixeles(double t) {
    return static_cast<int>(t / 15.0 + 0.5);
}
inline double dePixeles(int p) {
    return p * 15.0;
}

}  // namespace twips
