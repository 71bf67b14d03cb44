#pragma once
// resultList: the four-column hit list in report view, and the model holding its cells.

#include <QAbstractTableModel>
#include <QTableView>
#include <array>
#include <vector>

#include "text/Text.h"

// The rows of resultList. Each cell keeps the GBK bytes it was given, so a cell
// reads back exactly as written, and the Qt string shown for them.
class ResultModel final : public QAbstractTableModel {
    Q_OBJECT

  public:
    static constexpr int kColumnCount = 4;

    explicit ResultModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Appends an empty row; returns its index.
    int appendRow();
    // Removes the row; a row that does not exist is ignored.
    void deleteRow(int row);
    void clearRows();
    // Writes a cell of an existing row; anything else is ignored.
    void setCell(int row, int column, const Text& text);
    // The cell's GBK text; empty for a missing row or column.
    Text cellText(int row, int column) const;

  private:
    struct Cell {
        Text gbk;
        QString shown;
    };
    std::vector<std::array<Cell, kColumnCount>> rows_;
    std::array<QString, kColumnCount> titles_;
};

// The list view. Raises rowFocused when a row newly becomes the current one (by the
// user or by setCurrentRow), listClicked after a left click anywhere in the list has
// been released, and rightButtonReleased when the right button is released over it.
class ResultList final : public QTableView {
    Q_OBJECT

  public:
    static constexpr std::array<int, ResultModel::kColumnCount> kColumnWidths = {120, 220, 220, 80};

    explicit ResultList(QWidget* parent);

    ResultModel& rows() { return model_; }
    const ResultModel& rows() const { return model_; }

    // The selected row, -1 if none.
    int currentRow() const;
    // Focuses and selects an existing row (rowFocused when it was not the current
    // one); -1 deselects and leaves no row current; a missing row changes nothing.
    void setCurrentRow(int row);

  signals:
    void rowFocused();
    void listClicked();
    // Pointer position in the list's viewport and modifier bits (1 Shift, 2 Ctrl, 4 Alt).
    void rightButtonReleased(int x, int y, int modifiers);

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    ResultModel model_;
};
