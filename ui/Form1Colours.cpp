#include "ui/Form1Colours.h"

#include <cmath>

#include "ui/Form1Layout.h"

namespace ui {
namespace {

// Relative luminance of one sRGB channel, linearised.
double LinearChannel(BYTE value) {
    const double channel = value / 255.0;
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

double Luminance(COLORREF colour) {
    return 0.2126 * LinearChannel(GetRValue(colour)) + 0.7152 * LinearChannel(GetGValue(colour)) +
           0.0722 * LinearChannel(GetBValue(colour));
}

bool HighContrastIsOn() {
    HIGHCONTRASTW highContrast{};
    highContrast.cbSize = sizeof highContrast;
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof highContrast, &highContrast, 0) &&
           (highContrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

}  // namespace

double ContrastRatio(COLORREF first, COLORREF second) noexcept {
    const double a = Luminance(first) + 0.05;
    const double b = Luminance(second) + 0.05;
    return a > b ? a / b : b / a;
}

Form1Colours ChooseForm1Colours(bool highContrast, COLORREF buttonText,
                                COLORREF buttonFace) noexcept {
    if (highContrast || ContrastRatio(buttonText, FORM1_BACKGROUND) < READABLE_CONTRAST) {
        return {buttonFace, buttonText};
    }
    return {FORM1_BACKGROUND, buttonText};
}

Form1Colours CurrentForm1Colours() noexcept {
    return ChooseForm1Colours(HighContrastIsOn(), GetSysColor(COLOR_BTNTEXT),
                              GetSysColor(COLOR_BTNFACE));
}

}  // namespace ui
