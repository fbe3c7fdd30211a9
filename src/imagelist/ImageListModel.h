#pragma once
// ImageListModel: the ordered rows of the image list and the commands that mark or remove them,
// as a table model the window's list view shows (check box and status icon in the "Image"
// column, then the four fact columns).
//
// Invariants: rows are only ever appended at the end, never sorted; the same path may appear
// more than once; a row keeps its status until it is removed. "Select" in every command means
// the check mark, never the view's highlighted row. Every command on an empty list does nothing.
// User-interface thread only: the jobs reach it through hand-offs.

#include <vector>

#include <QAbstractTableModel>
#include <QColor>
#include <QString>

#include "imagelist/ImageListItem.h"

namespace tessoly {

//! The list's columns, left to right.
enum ImageListColumn {
    ColumnImage = 0,
    ColumnFormat,
    ColumnDimensions,
    ColumnDpi,
    ColumnFileSize,
    ColumnCount
};

//! Header text, width [pixels] and alignment of one column.
struct ImageListColumnLayout {
    const char* title;
    int width;
    Qt::Alignment alignment;
    //! The "Image" column may grow; the fact columns are fixed.
    bool fixedWidth;
};
const ImageListColumnLayout& ImageListColumnInfo(int column);

//! Each of red, green and blue times percent / 100, halves to even, at most 255. percent 0..255.
QColor ShadeColor(const QColor& colour, int percent);
//! The shading percentage of the odd rows.
inline constexpr int kOddRowShadePercent = 96;

class ImageListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ImageListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    int Count() const { return static_cast<int>(items_.size()); }
    //! Row i, 0 <= i < Count().
    const ImageListItem& Item(int row) const { return items_[static_cast<std::size_t>(row)]; }
    int CheckedCount() const;
    //! "checked / all", "0 / 0" for an empty list.
    QString CounterText() const;

    //! Appends one row at the end.
    void Append(const ImageListItem& item);
    //! Out-of-range rows are ignored. reason is kept for the row's hint (empty for none).
    void SetStatus(int row, ItemStatus status, const QString& reason = QString());
    void SetChecked(int row, bool checked);

    void SelectAll();
    void DeselectAll();
    void InverseSelection();
    //! Checks exactly the rows whose status is status.
    void SelectForStatus(ItemStatus status);
    //! Removes every checked row. Returns true when one of them had the path previewPath (exact,
    //! case-sensitive), so the caller empties the preview.
    bool RemoveChecked(const QString& previewPath);
    //! Removes every row.
    void Clear();
    //! Keeps the first row of every path and removes the later copies (exact, case-sensitive
    //! comparison). Returns true when a row was removed.
    bool RemoveDuplicates();

    //! Background of the even rows; the odd ones get ShadeColor of it.
    void SetBackground(const QColor& colour);

Q_SIGNALS:
    //! After every change to a row's check mark or status, and after rows come or go: the
    //! counter label follows it.
    void ListChanged();

private:
    //! Sets every check mark to pick(row) in one pass, with one repaint for the whole list.
    template <typename Pick> void SetAllChecks(Pick pick);

    std::vector<ImageListItem> items_;
    QColor background_ = Qt::white;
};

} // namespace tessoly
