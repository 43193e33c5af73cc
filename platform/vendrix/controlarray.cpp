#include "platform/vendrix/controlarray.h"

#include <algorithm>

namespace vendrix {

QList<QWidget*> controlArray(const QWidget& form, const QString& name) {
    QList<QWidget*> elements;
    for (QWidget* w : form.findChildren<QWidget*>(name)) {
        if (controlIndex(*w) >= 0) elements.append(w);
    }
    std::stable_sort(elements.begin(), elements.end(),
                     [](QWidget* a, QWidget* b) { return controlIndex(*a) < controlIndex(*b); });
    return elements;
}

QWidget* controlElement(const QWidget& form, const QString& name, int index) {
    for (QWidget* w : form.findChildren<QWidget*>(name)) {
        if (controlIndex(*w) == index && index >= 0) return w;
    }
    return nullptr;
}

int controlIndex(const QWidget& control) {
    bool ok = false;
    const int index = control.property("Index").toInt(&ok);
    return ok && index >= 0 ? index : -1;
}

QString dataField(const QWidget& control) {
    return control.property("DataField").toString();
}

}  // namespace vendrix
