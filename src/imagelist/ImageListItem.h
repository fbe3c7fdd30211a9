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
    //! The four fact columns, written once when the row is added and never read back.
    QString formatText;
    QString dimensionsText;
    QString dpiText;
    QString fileSizeText;
    //! What the last batch run left out of the file (only the first frame written); shown in
    //! the row's hint under the path. Empty when nothing was left out.
    QString notice;
};

} // namespace tessoly
