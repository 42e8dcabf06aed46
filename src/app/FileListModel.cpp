#include "FileListModel.h"

#include <QApplication>
#include <QFileIconProvider>
#include <QMimeDatabase>
#include <QPalette>

#include <filesystem>
#include <system_error>

#include "DisplayText.h"
#include "engine/TextConvert.h"
#include "engine/TextSource.h"
#include "filelist/FileList.h"

namespace tolvane {

namespace {

constexpr qint16 kUnknownIcon = -1;

bool DarkPalette() {
    return QApplication::palette().color(QPalette::Base).lightness() < 128;
}

}  // namespace

FileListModel::FileListModel(FileList& list, const TextSource& texts, QObject* parent)
    : QAbstractTableModel(parent),
      list_(list),
      texts_(texts),
      shownRows_(static_cast<int>(list.RowCount())),
      shownColumns_(list.Columns()),
      iconOfRow_(list.RowCount(), kUnknownIcon) {
    list_.AddObserver(this);
}

FileListModel::~FileListModel() {
    list_.RemoveObserver(this);
}

int FileListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : shownRows_;
}

int FileListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : shownColumns_.Count();
}

QVariant FileListModel::data(const QModelIndex& index, int role) const {
    const auto row = static_cast<size_t>(index.row());
    const int column = index.column();
    // While the view learns of a change, it may ask for a row the list no longer has.
    if (!index.isValid() || row >= list_.RowCount() || column >= list_.Columns().Count())
        return {};
    switch (role) {
        case Qt::DisplayRole:
        case Qt::AccessibleTextRole: return DisplayText(list_.CellText(row, column));
        case Qt::CheckStateRole:
            if (column == ColumnLayout::kSerial)
                return list_.Row(row).checked ? Qt::Checked : Qt::Unchecked;
            return {};
        case Qt::DecorationRole:
            if (column == ColumnLayout::kName)
                return IconOf(row);
            return {};
        case Qt::ToolTipRole:
            if (column == ColumnLayout::kStatus && !list_.Row(row).statusTip.empty())
                return DisplayText(list_.Row(row).statusTip);
            if (column == ColumnLayout::kName || column == ColumnLayout::kNewName ||
                column == list_.Columns().FolderColumn())
                return DisplayText(list_.CellText(row, column));
            return {};
        case kSelectedRole: return list_.Row(row).selected;
        case Qt::ForegroundRole: {
            const Rgb c = list_.Colours().ColourOf(static_cast<int>(row), column).text;
            return Shown(true, c.red, c.green, c.blue);
        }
        case Qt::BackgroundRole: {
            const Rgb c = list_.Colours().ColourOf(static_cast<int>(row), column).background;
            return Shown(false, c.red, c.green, c.blue);
        }
        default: return {};
    }
}

QColor FileListModel::Shown(bool text, std::uint8_t red, std::uint8_t green,
                            std::uint8_t blue) const {
    const Rgb c{red, green, blue};
    const QPalette palette = QApplication::palette();
    if (c == kBlackText && text)
        return palette.color(QPalette::Text);
    if (c == kWhiteBackground && !text)
        return palette.color(QPalette::Base);
    if (!DarkPalette())
        return {red, green, blue};
    // On a dark palette the marks keep their meaning with lighter or deeper shades.
    if (c == kRedText)
        return {255, 110, 110};
    if (c == kGreenText)
        return {120, 220, 120};
    if (c == kWarningText)
        return {255, 180, 70};
    if (c == kSelectionBackground)
        return palette.color(QPalette::Highlight);
    if (c == kImportBackground)
        return {110, 60, 70};
    return {red, green, blue};
}

bool FileListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::CheckStateRole || index.column() != ColumnLayout::kSerial ||
        static_cast<size_t>(index.row()) >= list_.RowCount())
        return false;
    list_.SetChecked(static_cast<size_t>(index.row()),
                     value.value<Qt::CheckState>() == Qt::Checked);
    emit CheckToggled();
    return true;
}

Qt::ItemFlags FileListModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == ColumnLayout::kSerial)
        flags |= Qt::ItemIsUserCheckable;
    return flags;
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= shownColumns_.Count())
        return {};
    if (role == Qt::DisplayRole)
        return DisplayText(HeaderText(shownColumns_.KindAt(section), texts_));
    return {};
}

QIcon FileListModel::IconOf(size_t row) const {
    if (iconOfRow_.size() < list_.RowCount())
        iconOfRow_.resize(list_.RowCount(), kUnknownIcon);
    if (iconOfRow_[row] != kUnknownIcon)
        return icons_[static_cast<size_t>(iconOfRow_[row])];
    std::error_code ec;
    const bool folder =
        std::filesystem::is_directory(std::filesystem::path(ToNarrow(list_.FullPath(row))), ec);
    static const QMimeDatabase mimes;
    const QString kind =
        folder
            ? QStringLiteral("inode/directory")
            : mimes.mimeTypeForFile(DisplayText(list_.Row(row).name), QMimeDatabase::MatchExtension)
                  .name();
    auto found = iconByKind_.find(kind);
    if (found == iconByKind_.end()) {
        static const QFileIconProvider provider;
        QIcon icon;
        if (folder) {
            icon = provider.icon(QAbstractFileIconProvider::Folder);
        } else {
            const QMimeType type = mimes.mimeTypeForName(kind);
            icon = QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName()));
            if (icon.isNull())
                icon = provider.icon(QAbstractFileIconProvider::File);
        }
        icons_.push_back(icon);
        found = iconByKind_.insert(kind, static_cast<qint16>(icons_.size() - 1));
    }
    iconOfRow_[row] = found.value();
    return icons_[static_cast<size_t>(found.value())];
}

void FileListModel::RowsInserted(size_t first, size_t count) {
    beginInsertRows({}, static_cast<int>(first), static_cast<int>(first + count - 1));
    shownRows_ += static_cast<int>(count);
    iconOfRow_.insert(
        iconOfRow_.begin() + static_cast<std::ptrdiff_t>(std::min(first, iconOfRow_.size())), count,
        kUnknownIcon);
    endInsertRows();
}

void FileListModel::RowsRemoved(size_t first, size_t count) {
    beginRemoveRows({}, static_cast<int>(first), static_cast<int>(first + count - 1));
    shownRows_ -= static_cast<int>(count);
    if (first < iconOfRow_.size())
        iconOfRow_.erase(iconOfRow_.begin() + static_cast<std::ptrdiff_t>(first),
                         iconOfRow_.begin() + static_cast<std::ptrdiff_t>(
                                                  std::min(first + count, iconOfRow_.size())));
    endRemoveRows();
}

void FileListModel::RowsReordered() {
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    iconOfRow_.assign(list_.RowCount(), kUnknownIcon);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void FileListModel::CellsChanged(size_t first, size_t last, int column) {
    if (first >= list_.RowCount())
        return;
    const int from = column < 0 ? 0 : column;
    const int to = column < 0 ? columnCount() - 1 : column;
    if (column == ColumnLayout::kName || column < 0) {  // a name changes its icon
        for (size_t r = first; r <= last && r < iconOfRow_.size(); ++r)
            iconOfRow_[r] = kUnknownIcon;
    }
    emit dataChanged(index(static_cast<int>(first), from), index(static_cast<int>(last), to));
}

void FileListModel::ColoursChanged() {
    if (shownRows_ > 0)
        emit dataChanged(index(0, 0), index(shownRows_ - 1, columnCount() - 1),
                         {Qt::ForegroundRole, Qt::BackgroundRole});
}

void FileListModel::ColumnColoursChanged(int column) {
    if (shownRows_ > 0 && column >= 0 && column < columnCount())
        emit dataChanged(index(0, column), index(shownRows_ - 1, column),
                         {Qt::ForegroundRole, Qt::BackgroundRole});
}

void FileListModel::ColumnsChanged() {
    const ColumnLayout& now = list_.Columns();
    // Optional columns switched on or off, one at a time in their fixed order.
    for (const OptionalColumn column : kOptionalColumns) {
        if (now.IsOn(column) == shownColumns_.IsOn(column))
            continue;
        if (now.IsOn(column)) {
            ColumnLayout after = shownColumns_;
            after.Set(column, true);
            const int at = *after.IndexOf(column);
            beginInsertColumns({}, at, at);
            shownColumns_ = after;
            endInsertColumns();
        } else {
            const int at = *shownColumns_.IndexOf(column);
            beginRemoveColumns({}, at, at);
            shownColumns_.Set(column, false);
            endRemoveColumns();
        }
    }
    const SortState& sort = list_.Sort();
    emit SortIndicatorChanged(sort.column, sort.descending, sort.indicatorShown);
}

void FileListModel::SelectionChanged() {
    emit ListSelectionChanged();
}

void FileListModel::Reset() {
    beginResetModel();
    shownRows_ = static_cast<int>(list_.RowCount());
    shownColumns_ = list_.Columns();
    iconOfRow_.assign(list_.RowCount(), kUnknownIcon);
    endResetModel();
    // A cleared list shows no sort arrow.
    const SortState& sort = list_.Sort();
    emit SortIndicatorChanged(sort.column, sort.descending, sort.indicatorShown);
}

}  // namespace tolvane
