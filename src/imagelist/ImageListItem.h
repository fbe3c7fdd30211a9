#pragma once
// ImageListItem: one row of the image list, as the reading job makes it and the batch job marks it.

#include <QString>

#include "batch/ItemStatus.h"

namespace tessoly {

struct ImageListItem {
    //! Full path exactly as the adding step produced it; the row's identity.
    QString path;
    //! The row's check box; "select" in the list's commands means this.
    bool checked = true;
    //! What the last batch run did with the file; also the index of the row's icon.
    ItemStatus status = ItemStatus::Waiting;
    //! Why the last batch run did not write the file; empty otherwise. Shown in the row's hint.
    QString reason;
    //! The four fact columns, written once when the row is added and never read back.
    QString formatText;
    QString dimensionsText;
    QString dpiText;
    QString fileSizeText;
};

} // namespace tessoly
