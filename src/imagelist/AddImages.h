#pragma once
// What the three ways of adding images produce: the paths of a drop, and the add-image dialog's
// filter. The rows themselves are made by the reading job.

#include <QStringList>

namespace tessoly {

//! The paths of a drop, in drop order: a folder gives its images (CollectFolderImages), a file is
//! taken when its extension is one of ImageExtensions (any letter case), anything else is passed
//! over without a word. Empty when nothing was collected.
QStringList CollectDroppedImages(const QStringList& droppedPaths);

//! The paths directly inside folder, grouped by extension (CollectFolderImages).
QStringList CollectFolderImagePaths(const QString& folder);

//! The add-image dialog's filter entries, "All images" first. PSD has no entry. Each pattern is
//! listed in lower and upper case, since file dialogs here match names case-sensitively.
QStringList AddImageFilters();

//! The warning of an add that found no image.
inline constexpr const char* kNoImagesFoundText = "Could not found any images!";

} // namespace tessoly
