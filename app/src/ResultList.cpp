#include "app/ResultList.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QPalette>

#include "app/QtText.h"
#include "text/CodePage.h"

ResultModel::ResultModel(QObject* parent) : QAbstractTableModel(parent) {
    // The TAB at the end of the first title belongs to it.
    titles_ = {toQString(utf8ToGbk("商标号\t")), toQString(utf8ToGbk("商标名称")), toQString(utf8ToGbk("申请人")),
               toQString(utf8ToGbk("商标类别"))};
}

int ResultModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ResultModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumnCount; }

QVariant ResultModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= kColumnCount) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return rows_[index.row()][index.column()].shown;
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    }
    return {};
}

QVariant ResultModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return titles_[section];
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    }
    return {};
}

int ResultModel::appendRow() {
    const int row = rowCount();
    beginInsertRows({}, row, row);
    rows_.emplace_back();
    endInsertRows();
    return row;
}

void ResultModel::deleteRow(int row) {
    if (row < 0 || row >= rowCount()) {
        return;
    }
    beginRemoveRows({}, row, row);
    rows_.erase(rows_.begin() + row);
    endRemoveRows();
}

void ResultModel::clearRows() {
    beginResetModel();
    rows_.clear();
    endResetModel();
}

void ResultModel::setCell(int row, int column, const Text& text) {
    if (row < 0 || row >= rowCount() || column < 0 || column >= kColumnCount) {
        return;
    }
    Cell& cell = rows_[row][column];
    cell.gbk = text;
    cell.shown = toQString(text);
    const QModelIndex changed = index(row, column);
    emit dataChanged(changed, changed, {Qt::DisplayRole});
}

Text ResultModel::cellText(int row, int column) const {
    if (row < 0 || row >= rowCount() || column < 0 || column >= kColumnCount) {
        return {};
    }
    return rows_[row][column].gbk;
}

ResultList::ResultList(QWidget* parent) : QTableView(parent) {
    setModel(&model_);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(true);
    setSortingEnabled(false);
    setMouseTracking(false);
    setWordWrap(false);
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setSortIndicatorShown(false);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    for (int column = 0; column < ResultModel::kColumnCount; ++column) {
        horizontalHeader()->setSectionResizeMode(column, QHeaderView::Interactive);
        setColumnWidth(column, kColumnWidths[column]);
    }

    // The selection is drawn only while the list has the focus.
    QPalette colours = palette();
    colours.setColor(QPalette::Base, Qt::white);
    colours.setColor(QPalette::Text, Qt::black);
    colours.setColor(QPalette::Inactive, QPalette::Highlight, Qt::white);
    colours.setColor(QPalette::Inactive, QPalette::HighlightedText, Qt::black);
    setPalette(colours);

    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current, const QModelIndex& previous) {
                if (current.isValid() && (!previous.isValid() || current.row() != previous.row())) {
                    emit rowFocused();
                }
            });
}

int ResultList::currentRow() const {
    const QModelIndex current = currentIndex();
    if (current.isValid() && selectionModel()->isRowSelected(current.row(), {})) {
        return current.row();
    }
    const QModelIndexList selected = selectionModel()->selectedRows();
    return selected.isEmpty() ? -1 : selected.first().row();
}

void ResultList::setCurrentRow(int row) {
    if (row == -1) {
        selectionModel()->clear();
        return;
    }
    if (row < 0 || row >= model_.rowCount()) {
        return;
    }
    selectionModel()->setCurrentIndex(model_.index(row, 0),
                                      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void ResultList::mousePressEvent(QMouseEvent* event) {
    // A press on the empty area below the rows deselects, so that no row is current.
    if (!indexAt(event->position().toPoint()).isValid()) {
        selectionModel()->clear();
    }
    QTableView::mousePressEvent(event);
}

void ResultList::mouseReleaseEvent(QMouseEvent* event) {
    QTableView::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton) {
        emit listClicked();
    } else if (event->button() == Qt::RightButton && viewport()->rect().contains(event->position().toPoint())) {
        int modifiers = 0;
        if (event->modifiers() & Qt::ShiftModifier) {
            modifiers |= 1;
        }
        if (event->modifiers() & Qt::ControlModifier) {
            modifiers |= 2;
        }
        if (event->modifiers() & Qt::AltModifier) {
            modifiers |= 4;
        }
        const QPoint at = event->position().toPoint();
        emit rightButtonReleased(at.x(), at.y(), modifiers);
    }
}
