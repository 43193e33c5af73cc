#pragma once

#include <QAbstractTableModel>

class SearchGrid;

// The search grid's rows as its list shows them: a row per grid row, a column per grid
// column, the row's check in the first column when the grid has check boxes, and the stock
// colour as the text colour. It reads the grid's own rows and holds nothing per row, so a
// long lookup costs the list no more than the rows in sight; it follows the grid's signals.
class SearchGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit SearchGridModel(SearchGrid& grid, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // A check the operator sets in the first column goes to the grid.
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

private:
    void filaCambiada(int fila);

    SearchGrid& grid_;
};
