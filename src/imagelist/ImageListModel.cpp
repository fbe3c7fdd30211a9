#include "imagelist/ImageListModel.h"

#include <algorithm>
#include <array>
#include <vector>

#include <QSet>

#include "imagelist/StatusIcons.h"

namespace tessoly {

namespace {

const std::array<ImageListColumnLayout, ColumnCount> kColumns = {{
    {"Image", 180, Qt::AlignLeft | Qt::AlignVCenter, false},
    {"Format", 50, Qt::AlignCenter, true},
    {"Dimensions", 66, Qt::AlignCenter, true},
    {"DPI", 50, Qt::AlignCenter, true},
    {"File size", 50, Qt::AlignCenter, true},
}};

//! round(value / 100) with halves to the even neighbour, for value >= 0.
int DivideBy100HalfEven(int value) {
    int quotient = value / 100;
    const int remainder = value % 100;
    if (remainder > 50 || (remainder == 50 && quotient % 2 != 0)) {
        ++quotient;
    }
    return quotient;
}

int ShadeChannel(int channel, int percent) {
    return std::min(255, DivideBy100HalfEven(channel * percent));
}

} // namespace

const ImageListColumnLayout& ImageListColumnInfo(int column) {
    return kColumns[static_cast<std::size_t>(std::clamp(column, 0, ColumnCount - 1))];
}

QColor ShadeColor(const QColor& colour, int percent) {
    percent = std::clamp(percent, 0, 255);
    return QColor(ShadeChannel(colour.red(), percent), ShadeChannel(colour.green(), percent),
                  ShadeChannel(colour.blue(), percent));
}

ImageListModel::ImageListModel(QObject* parent) : QAbstractTableModel(parent) {}

int ImageListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Count();
}

int ImageListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ImageListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= Count()) {
        return {};
    }
    const ImageListItem& item = Item(index.row());
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
        switch (column) {
        case ColumnImage:
            return item.path;
        case ColumnFormat:
            return item.formatText;
        case ColumnDimensions:
            return item.dimensionsText;
        case ColumnDpi:
            return item.dpiText;
        case ColumnFileSize:
            return item.fileSizeText;
        default:
            return {};
        }
    case Qt::CheckStateRole:
        if (column == ColumnImage) {
            return item.checked ? Qt::Checked : Qt::Unchecked;
        }
        return {};
    case Qt::DecorationRole:
        if (column == ColumnImage) {
            return StatusIcon(item.status);
        }
        return {};
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(ImageListColumnInfo(column).alignment);
    case Qt::BackgroundRole:
        if (index.row() % 2 != 0) {
            return ShadeColor(background_, kOddRowShadePercent);
        }
        return background_;
    case Qt::ToolTipRole:
        if (column == ColumnImage) {
            return item.reason.isEmpty() ? item.path : item.path + QLatin1Char('\n') + item.reason;
        }
        return {};
    default:
        return {};
    }
}

bool ImageListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.row() >= Count() || index.column() != ColumnImage ||
        role != Qt::CheckStateRole) {
        return false;
    }
    SetChecked(index.row(), value.value<Qt::CheckState>() == Qt::Checked);
    return true;
}

QVariant ImageListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    if (role == Qt::DisplayRole) {
        return QString::fromLatin1(ImageListColumnInfo(section).title);
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(ImageListColumnInfo(section).alignment);
    }
    return {};
}

Qt::ItemFlags ImageListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == ColumnImage) {
        f |= Qt::ItemIsUserCheckable;
    }
    return f;
}

int ImageListModel::CheckedCount() const {
    return static_cast<int>(
        std::count_if(items_.begin(), items_.end(), [](const auto& i) { return i.checked; }));
}

QString ImageListModel::CounterText() const {
    if (items_.empty()) {
        return QStringLiteral("0 / 0");
    }
    return QStringLiteral("%1 / %2").arg(CheckedCount()).arg(Count());
}

void ImageListModel::Append(const ImageListItem& item) {
    beginInsertRows(QModelIndex(), Count(), Count());
    items_.push_back(item);
    endInsertRows();
    Q_EMIT ListChanged();
}

void ImageListModel::SetStatus(int row, ItemStatus status, const QString& reason) {
    if (row < 0 || row >= Count()) {
        return;
    }
    ImageListItem& item = items_[static_cast<std::size_t>(row)];
    item.status = status;
    item.reason = reason;
    const QModelIndex cell = index(row, ColumnImage);
    Q_EMIT dataChanged(cell, cell, {Qt::DecorationRole, Qt::ToolTipRole});
    Q_EMIT ListChanged();
}

void ImageListModel::SetChecked(int row, bool checked) {
    if (row < 0 || row >= Count()) {
        return;
    }
    items_[static_cast<std::size_t>(row)].checked = checked;
    const QModelIndex cell = index(row, ColumnImage);
    Q_EMIT dataChanged(cell, cell, {Qt::CheckStateRole});
    Q_EMIT ListChanged();
}

template <typename Pick> void ImageListModel::SetAllChecks(Pick pick) {
    if (items_.empty()) {
        return;
    }
    for (ImageListItem& item : items_) {
        item.checked = pick(item);
    }
    Q_EMIT dataChanged(index(0, ColumnImage), index(Count() - 1, ColumnImage), {Qt::CheckStateRole});
    Q_EMIT ListChanged();
}

void ImageListModel::SelectAll() {
    SetAllChecks([](const ImageListItem&) { return true; });
}

void ImageListModel::DeselectAll() {
    SetAllChecks([](const ImageListItem&) { return false; });
}

void ImageListModel::InverseSelection() {
    SetAllChecks([](const ImageListItem& item) { return !item.checked; });
}

void ImageListModel::SelectForStatus(ItemStatus status) {
    SetAllChecks([status](const ImageListItem& item) { return item.status == status; });
}

bool ImageListModel::RemoveChecked(const QString& previewPath) {
    if (items_.empty()) {
        return false;
    }
    bool previewRemoved = false;
    // From the last row to the first, one block of neighbouring checked rows at a time, so the
    // view hears of each block once and the rows before it keep their indexes.
    int row = Count() - 1;
    while (row >= 0) {
        if (!Item(row).checked) {
            --row;
            continue;
        }
        const int last = row;
        while (row >= 0 && Item(row).checked) {
            previewRemoved = previewRemoved || Item(row).path == previewPath;
            --row;
        }
        const int first = row + 1;
        beginRemoveRows(QModelIndex(), first, last);
        items_.erase(items_.begin() + first, items_.begin() + last + 1);
        endRemoveRows();
    }
    Q_EMIT ListChanged();
    return previewRemoved;
}

void ImageListModel::Clear() {
    if (items_.empty()) {
        return;
    }
    beginResetModel();
    items_.clear();
    endResetModel();
    Q_EMIT ListChanged();
}

bool ImageListModel::RemoveDuplicates() {
    if (items_.empty()) {
        return false;
    }
    QSet<QString> seen;
    seen.reserve(items_.size());
    std::vector<bool> duplicate(items_.size());
    bool anyDuplicate = false;
    for (std::size_t i = 0; i < items_.size(); ++i) {
        duplicate[i] = seen.contains(items_[i].path);
        seen.insert(items_[i].path);
        anyDuplicate = anyDuplicate || duplicate[i];
    }
    // From the end, one block of neighbouring later copies at a time; the view keeps its
    // highlight, which can only sit on a row that stays or on a copy that goes.
    int row = Count() - 1;
    while (row >= 0) {
        if (!duplicate[static_cast<std::size_t>(row)]) {
            --row;
            continue;
        }
        const int last = row;
        while (row >= 0 && duplicate[static_cast<std::size_t>(row)]) {
            --row;
        }
        const int first = row + 1;
        beginRemoveRows(QModelIndex(), first, last);
        items_.erase(items_.begin() + first, items_.begin() + last + 1);
        endRemoveRows();
    }
    Q_EMIT ListChanged();
    return anyDuplicate;
}

void ImageListModel::SetBackground(const QColor& colour) {
    background_ = colour;
    if (!items_.empty()) {
        Q_EMIT dataChanged(index(0, 0), index(Count() - 1, ColumnCount - 1), {Qt::BackgroundRole});
    }
}

} // namespace tessoly
