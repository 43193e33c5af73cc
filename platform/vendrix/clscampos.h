#pragma once

#include <QList>
#include <QString>

class QWidget;

// The form-field service: finds a form's fields by their data-field name and gives the
// range-field forms their key handling. Controls follow the convention of controlarray.h.
class clsCampos {
public:
    // The Index of the control of `form` whose DataField is `dataField`, compared without
    // regard to case; -1 when there is none.
    int Campo(const QWidget& form, const QString& dataField) const;
    // The same over one control array (vendrix::controlArray): `indice` gets the Index of the
    // element (-1 when none); true when one was found.
    bool Campo(const QString& dataField, const QList<QWidget*>& controles, int& indice) const;

    // Enter (key code 13) moves the focus from `control`, the control the key belongs to, to
    // the next one in its window's tab order, and the key is consumed (`keyCode` becomes 0).
    // Other keys pass as they are. The control is given, not taken from the focus: right
    // after a modal window closes, no control has it.
    void SiguienteControl(int& keyCode, QWidget& control) const;

    // A character typed into `campo` (`keyAscii`, its code in the Windows character set;
    // 0 cancels it). The one rule: in a field whose bool dynamic property "Mayusculas" is set,
    // letters are typed in capitals. Every other character passes unchanged.
    void FiltraTecla(const QWidget& campo, int& keyAscii) const;
};

// The program-wide instance, created on first use.
clsCampos& gCampos();
