// The application looks of the "&Application Look" menu: each pairs a Qt style and palette with
// the background colour the program's own panes paint with.
#pragma once

#include "colorref.h"

#include <QPalette>
#include <QString>
#include <QtGui/qrgb.h>
#include <vector>

namespace applook {

inline constexpr int kDefault = 213;

// A look's palette is derived from these few colours, so the table stays readable and every
// look gets the same treatment of alternate, disabled and bevel shades.
struct Seeds {
    QRgb window;
    QRgb base;
    QRgb button;
    QRgb text;
    QRgb highlight;
    QRgb link;
};

struct Look {
    int id;                     // the menu command id, also the value stored in the profile
    const char* label;          // the menu text, mnemonic included
    bool inOffice2007Submenu;
    ColorRef backColor;         // what the program's own panes paint with
    const char* style;          // a QStyleFactory key; Fusion when this Qt lacks it
    Seeds seeds;
};

// The nine looks in menu order.
const std::vector<Look>& All();
// An unknown id gives the default look, so a stale profile value cannot leave the program unstyled.
const Look& For(int id);

QPalette PaletteFor(int id);
QString StyleNameFor(int id);

// Sets the application's style and palette for the look. User-interface thread only.
// Returns the look's background colour.
ColorRef Apply(int id);

// The look stored in the profile as "ApplicationLook"; an unknown value gives the default.
int ReadFromProfile();
void WriteToProfile(int id);

}  // namespace applook
