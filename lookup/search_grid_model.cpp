#include "lookup/search_grid_model.h"

#include "lookup/search_grid.h"

#include <QColor>

SearchGridModel::SearchGridModel(SearchGrid& grid, QObject* parent)
    : QAbstractTableModel(parent), grid_(grid) {
    connect(&grid_, &SearchGrid::filasPorCambiar, this, [this] { beginResetModel(); });
    connect(&grid_, &SearchGrid::filasCambiadas, this, [this] { endResetModel(); });
    connect(&grid_, &SearchGrid::filaCambiada, this, &SearchGridModel::filaCambiada);
}

int SearchGridModel::rowCount(const QModelIndex& parent) const {
    // Rows of no column shown (every one a password column) are no rows of the list.
    if (parent.isValid() || grid_.columnas().isEmpty()) return 0;
    return static_cast<int>(grid_.filas().size());
}

int SearchGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(grid_.columnas().size());
}

QVariant SearchGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= grid_.filas().size()) return {};
    const SearchGridRows& filas = grid_.filas();
    const int fila = index.row();
    switch (role) {
        case Qt::DisplayRole:
            return filas.texto(fila, index.column());
        case Qt::CheckStateRole:
            if (index.column() != 0 || !grid_.CheckBoxes) return {};
            return filas.marcada(fila) ? Qt::Checked : Qt::Unchecked;
        case Qt::ForegroundRole: {
            const std::optional<qint64> color = filas.color(fila);
            if (!color) return {};
            const qint64 c = *color;  // Windows colours are 0x00BBGGRR
            return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
        }
        default:
            return {};
    }
}

QVariant SearchGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= grid_.columnas().size())
        return {};
    return grid_.columnas()[section].titulo;
}

Qt::ItemFlags SearchGridModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == 0 && grid_.CheckBoxes) f |= Qt::ItemIsUserCheckable;
    return f;
}

bool SearchGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::CheckStateRole || !index.isValid() || index.column() != 0 ||
        !grid_.CheckBoxes || index.row() >= grid_.filas().size())
        return false;
    grid_.ListView1_ItemCheck(index.row(), value.toInt() == Qt::Checked);
    return true;
}

void SearchGridModel::filaCambiada(int fila) {
    if (fila < 0 || fila >= rowCount()) return;
    emit dataChanged(index(fila, 0), index(fila, std::max(0, columnCount() - 1)));
}
