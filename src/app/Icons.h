#pragma once
// The window's icons, drawn with QPainter when first asked for (no image files to ship).

#include <QIcon>
#include <QPixmap>

namespace tessoly {

//! Places in the 16 x 16 button strip; the numbers are the strip's indices.
enum class ToolIcon {
    Plus = 0,
    FolderPlus = 1,
    ArrowLeft = 4,
    ArrowRight = 5,
    Minus = 8,
    NoEntry = 9,
    Globe = 10,
    ListPlus = 14,
    ListMinus = 15,
    Play = 16,
    Magnifier = 18,
    Picture = 19,
};

QIcon ToolStripIcon(ToolIcon which);
//! The seven 24 x 16 tab icons: 0/1/2 text with marker, without, centred; 3/4/5 the same for the
//! picture; 6 tools.
QIcon TabStripIcon(int index);
//! 24 x 24: 0 play, 1 stop.
QIcon StartButtonIcon(int index);
//! 16 x 16 erase symbol of the clear buttons.
QIcon EraseIcon();
//! 42 x 16 picture of the word Donate.
QPixmap DonatePicture();
//! 16 x 16 social icons: 0 Facebook, 1 Tweet, 2 Google+.
QIcon SocialIcon(int index);
//! The program's own icon.
QIcon ApplicationIcon();

} // namespace tessoly
