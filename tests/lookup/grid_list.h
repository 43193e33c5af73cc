#pragma once

#include "lookup/lib_frmcons3.h"

#include <QAbstractItemModel>
#include <QColor>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTest>
#include <QTreeView>

namespace zxtest {

// What the search grid window's list shows, read through its view as a screen reader would.
inline int rowsShown(const Lib_FrmCons3& form) {
    return form.ListView1->model()->rowCount();
}

inline int columnsShown(const Lib_FrmCons3& form) {
    return form.ListView1->model()->columnCount();
}

inline QString cellShown(const Lib_FrmCons3& form, int row, int column) {
    return form.ListView1->model()->index(row, column).data().toString();
}

inline QString headerShown(const Lib_FrmCons3& form, int column) {
    return form.ListView1->model()->headerData(column, Qt::Horizontal).toString();
}

inline Qt::CheckState checkShown(const Lib_FrmCons3& form, int row) {
    return static_cast<Qt::CheckState>(
        form.ListView1->model()->index(row, 0).data(Qt::CheckStateRole).toInt());
}

inline QColor colourShown(const Lib_FrmCons3& form, int row, int column) {
    return form.ListView1->model()->index(row, column).data(Qt::ForegroundRole).value<QColor>();
}

// Clicks the check box of a row as the operator does, with the mouse.
inline void clickCheck(Lib_FrmCons3& form, int row) {
    QTreeView* view = form.ListView1;
    QStyleOptionViewItem option;
    option.initFrom(view);
    option.rect = view->visualRect(view->model()->index(row, 0));
    option.features |= QStyleOptionViewItem::HasCheckIndicator;
    const QRect box =
        view->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, view);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, box.center());
}

// The row the list's cursor is on; -1 for none.
inline int currentRowShown(const Lib_FrmCons3& form) {
    return form.ListView1->currentIndex().row();
}

}  // namespace zxtest
