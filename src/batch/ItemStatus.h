#pragma once
// The status of an image list row; the value is also the index of the row's status icon.

namespace tessoly {

enum class ItemStatus { Waiting = 0, InProgress = 1, Successful = 2, Unsuccessful = 3, Skipped = 4 };

//! "Waiting", "InProgress", "Successful", "Unsuccessful" or "Skipped".
const char* ItemStatusName(ItemStatus status);

} // namespace tessoly
