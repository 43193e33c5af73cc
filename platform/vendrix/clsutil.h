#pragma once

#include "platform/vb/currency.h"
#include "platform/vb/variant.h"
#include "platform/vb/vberror.h"

#include <QString>
#include <QStringList>

#include <cstdint>

class QWidget;

// The suite's general utilities: texts, numbers, paths, the date picker, the library's own
// error box, the scrambling of stored credentials, and the set-up of a form's window.
class clsUtil {
public:
    // The text of a value or field; Null and Empty give the empty text. Never fails.
    QString NuloAVacio(const vb::Variant& valor) const;

    // The number a text holds, as currency (four decimals). Both "." and the locale's decimal
    // separator are taken as the decimal point; when a text holds both, the other one is
    // grouping ("1.234,56" in es_AR). 0 for an empty text or one that is not a number; a number
    // past the range of money raises Overflow (6).
    // Numbers come through unchanged; Null and anything else give 0.
    vb::Currency ValorNumerico(const vb::Variant& valor) const;
    // The whole part (towards zero) of ValorNumerico.
    std::int64_t ValorEntero(const vb::Variant& valor) const;

    // The text fitted to exactly n characters: cut, or filled with blanks on the right.
    QString AjustaTexto(const QString& texto, int n) const;
    // The text padded with trailing blanks to n characters ("FC" gives "FC  " for 4), as fixed
    // width code columns hold it; the server ignores trailing blanks when it compares, so the
    // padded code finds a stored code with or without them. A longer text, or a width left
    // out (negative), is returned unchanged: a code is never cut into another code.
    QString Rellena(const QString& texto, int n = -1) const;
    // The text right-aligned in n characters; a longer text is returned whole (an amount
    // never loses digits).
    QString AlineaDerecha(const QString& texto, int n) const;
    // A fixed-width record field without its padding (trailing blanks and NUL characters).
    QString RecortaFijo(const QString& texto) const;

    // Every occurrence of `caracter` removed, or replaced by `reemplazo` when one is given.
    QString QuitaCaracter(const QString& texto, const QString& caracter,
                          const QString& reemplazo = {}) const;
    // Every `viejo` replaced by `nuevo`: Reemplaza compares exactly, ReemplazaTexto without
    // regard to case.
    QString Reemplaza(const QString& texto, const QString& viejo, const QString& nuevo) const;
    QString ReemplazaTexto(const QString& texto, const QString& viejo, const QString& nuevo) const;
    // The number of words separated by white space (0 for a blank text).
    int CuentaPalabras(const QString& texto) const;
    // True when `valor` equals an element of `lista` exactly.
    bool EstaEnLista(const QString& valor, const QStringList& lista) const;

    // Free text made safe to store or send: control characters other than tab, carriage
    // return and line feed are taken out.
    QString LimpiaTexto(const QString& texto) const;
    // Texts of batch-dispatch records come back as given: nothing in them needs changing here.
    QString TransformaTexto(const QString& texto) const;

    // A folder ending in exactly one "/"; every "\" of a path written for Windows becomes "/".
    // An empty text stays empty (so that it never turns into the root folder).
    QString BarraFinal(const QString& carpeta) const;
    // Splits a file path: `carpeta` with its final "/", `nombre` without the extension,
    // `extension` without its dot ("jpg"), `archivo` the name with its extension.
    void PartesRuta(const QString& ruta, QString& carpeta, QString& nombre, QString& extension,
                    QString& archivo) const;

    // The report language's date literal "Date(yyyy,mm,dd)" of a date or a day-first date
    // text; Type mismatch (13) when the value is not a date.
    QString FormulaValor(const vb::Variant& fecha) const;

    // The date picker through the operator service, opened on the date `fecha` reads as, or
    // on today when it reads as none; the chosen date as "dd/mm/yyyy", or the empty text when
    // cancelled.
    QString PideFecha(const QString& fecha = {}) const;

    // The library's own error box (Abort, Retry, Ignore, critical icon); the answer.
    int MuestraError(const vb::VbError& error) const;

    // Scrambles a stored user name or password into a text of letters and digits only (no
    // comma, quote, blank or line end, so it fits a comma-separated line or an INI value).
    // This is obfuscation, not encryption: files holding it are kept private to the user.
    QString Codifica(const QString& texto) const;
    // The inverse of Codifica. A text that Codifica did not produce (a value typed by hand)
    // comes back unchanged.
    QString Decodifica(const QString& texto) const;

    // Window set-up of a form, defined in zentrik_vendrix_ui (they need widgets).
    // PreparaFormulario centres the form on its screen when it loads (`opcion` is unused);
    // RestauraFormulario puts it back where it was last closed; GuardaFormulario remembers
    // that place. The place is kept per form (its object name, followed by `nombre`) in the
    // per-user settings store.
    void PreparaFormulario(QWidget& form, int opcion = 0) const;
    void RestauraFormulario(QWidget& form, const QString& nombre = {}) const;
    void GuardaFormulario(const QWidget& form, const QString& nombre = {}) const;
};

// The program-wide instance, created on first use.
clsUtil& gUtil();
