// Which background and text colours Form1 and its labels paint with.
#pragma once

#include <windows.h>

namespace ui {

struct Form1Colours {
    COLORREF background;
    COLORREF text;
};

// Text needs at least this contrast with its background to be read easily.
inline constexpr double READABLE_CONTRAST = 4.5;

// The contrast ratio of two colours, from 1 (the same) to 21 (black on white).
double ContrastRatio(COLORREF first, COLORREF second) noexcept;

// The window's own light grey with the system's control-text colour, unless
// the system is in high-contrast mode or that text would be hard to read on
// the grey. Then the system's pair for text on a window's surface (window and
// window text), or, where a user-made scheme gives that pair too little
// contrast, whichever of it and the button pair reads better.
Form1Colours ChooseForm1Colours(bool highContrast, Form1Colours windowPair,
                                Form1Colours buttonPair) noexcept;

// The choice for the system's current settings.
Form1Colours CurrentForm1Colours() noexcept;

}  // namespace ui
