// Form1's design, in twips from the client area's top-left corner and fonts in
// points, so that it scales with the screen's DPI.
#pragma once

#include <windows.h>

#include "ui/Form1.h"

namespace ui {

inline constexpr const wchar_t* FORM1_CAPTION = L"Moxvane";
// A fixed single border, a title bar with the system menu's close button only.
inline constexpr DWORD FORM1_STYLE = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
inline constexpr int FORM1_CLIENT_WIDTH = 6510;
inline constexpr int FORM1_CLIENT_HEIGHT = 3780;
inline constexpr COLORREF FORM1_BACKGROUND = RGB(224, 224, 224);
inline constexpr int TWIPS_PER_INCH = 1440;

inline int ScaleTwips(int twips, int dpi) {
    return MulDiv(twips, dpi, TWIPS_PER_INCH);
}

enum class ControlKind { Label, CentredLabel, Picture, Button };

struct ControlLayout {
    int id;
    ControlKind kind;
    const wchar_t* text;
    int left, top, width, height;  // twips
    bool bold;
};

// In creation order.
inline constexpr ControlLayout FORM1_CONTROLS[] = {
    {ID_COMMAND2, ControlKind::Button, L"Re-enable Scripting in WMP", 3600, 2400, 2775, 375, false},
    {ID_COMMAND1, ControlKind::Button, L"Activate Fix - DISABLE SCRIPTING IN WMP", 120, 2400, 3375,
     375, false},
    {ID_LABEL5, ControlKind::CentredLabel, L"www.example.com", 0, 3360, 6495, 255, false},
    {ID_IMAGE1, ControlKind::Picture, L"", 240, 120, 480, 480, false},
    {ID_LABEL4, ControlKind::CentredLabel, L"Moxvane " MOXVANE_VERSION_TEXT, 0, 3120, 6495, 255,
     false},
    {ID_LABEL3, ControlKind::Label,
     L"By clicking the \"Activate Fix\" button below, a registry entry will be added that tells "
     L"Windows Media Player to disable its scripting functions.",
     360, 1560, 5775, 615, false},
    {ID_LABEL2, ControlKind::Label,
     L"WMP, by default, supports a dangerous feature that allows scripting to be embedded within "
     L"media files. WMP will then execute the scripting when the media file is played.",
     360, 720, 5775, 735, false},
    {ID_LABEL1, ControlKind::Label, L"Moxvane", 840, 120, 4695, 375, true},
};

// Top to bottom, left to right: the order a screen reader reads them in.
inline constexpr int FORM1_READING_ORDER[] = {ID_IMAGE1,   ID_LABEL1,   ID_LABEL2, ID_LABEL3,
                                              ID_COMMAND1, ID_COMMAND2, ID_LABEL4, ID_LABEL5};

// Font sizes in hundredths of a point.
inline constexpr int FONT_REGULAR_CENTIPOINTS = 825;
inline constexpr int FONT_BOLD_CENTIPOINTS = 1200;
inline constexpr const wchar_t* FONT_FACE = L"Tahoma";

}  // namespace ui
