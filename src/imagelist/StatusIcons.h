#pragma once
// The five 22 x 12 status icons of the image list rows, drawn by the program itself: an hourglass
// (Waiting), a blue gear (InProgress), a green tick (Successful), a red cross (Unsuccessful) and a
// blue arrow pointing right (Skipped).

#include <QImage>

#include "batch/ItemStatus.h"

namespace tessoly {

//! Icon width and height [pixels].
inline constexpr int kStatusIconWidth = 22;
inline constexpr int kStatusIconHeight = 12;

//! The icon of one status; drawn once, then shared. Any thread after the first call has returned;
//! the first call belongs to the user-interface thread.
const QImage& StatusIcon(ItemStatus status);

} // namespace tessoly
