#include "ui/Form1Colours.h"

#include "ui/Form1Layout.h"

namespace ui {
namespace {

// x to the power 2.4, for x from 0 to 1: x squared times its fifth root
// squared, the root by Newton's method. The C library's pow would add more
// to the program than everything else in this file.
double PowerOf2Point4(double x) {
    const double square = x * x;
    double root = 1.0;  // fifth root of the square, approached from above
    for (int step = 0; step < 64; ++step) {
        const double fourth = root * root * root * root;
        const double next = root - (fourth * root - square) / (5.0 * fourth);
        if (next >= root) {
            break;
        }
        root = next;
    }
    return square * root;
}

// Relative luminance of one sRGB channel, linearised.
double LinearChannel(BYTE value) {
    const double channel = value / 255.0;
    return channel <= 0.04045 ? channel / 12.92 : PowerOf2Point4((channel + 0.055) / 1.055);
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

Form1Colours ChooseForm1Colours(bool highContrast, Form1Colours windowPair,
                                Form1Colours buttonPair) noexcept {
    if (!highContrast && ContrastRatio(buttonPair.text, FORM1_BACKGROUND) >= READABLE_CONTRAST) {
        return {FORM1_BACKGROUND, buttonPair.text};
    }
    const double windowContrast = ContrastRatio(windowPair.text, windowPair.background);
    if (windowContrast >= READABLE_CONTRAST) {
        return windowPair;
    }
    return ContrastRatio(buttonPair.text, buttonPair.background) > windowContrast ? buttonPair
                                                                                  : windowPair;
}

Form1Colours CurrentForm1Colours() noexcept {
    return ChooseForm1Colours(HighContrastIsOn(),
                              {GetSysColor(COLOR_WINDOW), GetSysColor(COLOR_WINDOWTEXT)},
                              {GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_BTNTEXT)});
}

}  // namespace ui
