#pragma once

#include <QList>
#include <QString>
#include <QWidget>

// Control arrays on our forms. A form's control array is the set of its child widgets that
// share one object name (for example "txtfields") and carry an int dynamic property "Index",
// their index in the array. A control bound to a data field carries the field's name in the
// string dynamic property "DataField". Every form of the program follows this convention, so
// the form-field service and the tests find controls the same way:
//
//     auto* box = new QLineEdit(this);
//     box->setObjectName("txtfields");
//     box->setProperty("Index", 4);
//     box->setProperty("DataField", "FechaDesde");
namespace vendrix {

// The elements of the control array `name` on `form`, in the order of their Index.
QList<QWidget*> controlArray(const QWidget& form, const QString& name);

// The element of the control array `name` whose Index is `index`; nullptr when there is none.
QWidget* controlElement(const QWidget& form, const QString& name, int index);
template <class T>
T* controlElement(const QWidget& form, const QString& name, int index) {
    return qobject_cast<T*>(controlElement(form, name, index));
}

// A control's Index (-1 when it belongs to no control array) and DataField (empty when none).
int controlIndex(const QWidget& control);
QString dataField(const QWidget& control);

}  // namespace vendrix
