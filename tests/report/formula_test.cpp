#include "report/formula.h"

#include <gtest/gtest.h>

namespace {

FiltroRango rango(const QString& campo, std::int16_t tipo, const QString& desde,
                  const QString& hasta, const QString& operador = {}) {
    FiltroRango f;
    f.Campo = campo;
    f.Tipo = tipo;
    f.Desde = desde;
    f.Hasta = hasta;
    f.Operador = operador;
    return f;
}

const QString kUsuario = QStringLiteral("{AUX_ERR.USUARIO}");
const QString kFecha = QStringLiteral("{AUX_ERR.fecha}");
const QString kPc = QStringLiteral("{AUX_ERR.PC}");
const QString kError = QStringLiteral("{AUX_ERR.ERROR}");

QString arma(const QList<FiltroRango>& filtros) {
    QString formula = QStringLiteral("sin tocar");
    QString mensaje;
    ModGlobal::ArmaFormulaSeleccion(filtros, formula, &mensaje);
    EXPECT_EQ(mensaje, QString());
    return formula;
}

struct Caso {
    const char* nombre;
    QList<FiltroRango> filtros;
    QString formula;
};

TEST(ArmaFormulaSeleccion, WritesEachRangeExactly) {
    const QList<Caso> casos = {
        {"user range",
         {rango(kUsuario, 129, "ANA", "JUAN")},
         "TrimLeft(TrimRight({AUX_ERR.USUARIO})) >= 'ANA'  AND "
         "TrimLeft(TrimRight({AUX_ERR.USUARIO})) <= 'JUAN' "},
        {"error range",
         {rango(kError, 5, "100", "200")},
         "tonumber({AUX_ERR.ERROR}) >= 100  AND tonumber({AUX_ERR.ERROR}) <= 200 "},
        {"two ranges joined",
         {rango(kUsuario, 129, "ANA", "JUAN"), rango(kError, 5, "100", "200")},
         "TrimLeft(TrimRight({AUX_ERR.USUARIO})) >= 'ANA'  AND "
         "TrimLeft(TrimRight({AUX_ERR.USUARIO})) <= 'JUAN'  AND "
         "tonumber({AUX_ERR.ERROR}) >= 100  AND tonumber({AUX_ERR.ERROR}) <= 200 "},
        {"date range",
         {rango(kFecha, 7, "01/12/2026", "9/12/26")},
         "{AUX_ERR.fecha} >= Date(2026,12,01)  AND {AUX_ERR.fecha} <= Date(2026,12,09) "},
        {"pattern alone",
         {rango(kPc, 129, "CAJA*", "")},
         " (TrimLeft(TrimRight({AUX_ERR.PC})) LIKE 'CAJA*' )"},
        {"two patterns",
         {rango(kPc, 129, "A*", "B*")},
         " (TrimLeft(TrimRight({AUX_ERR.PC})) LIKE 'A*'  OR "
         "TrimLeft(TrimRight({AUX_ERR.PC})) LIKE 'B*' )"},
        {"value then pattern",
         {rango(kPc, 129, "A", "C*")},
         "TrimLeft(TrimRight({AUX_ERR.PC})) >= 'A'  AND "
         "TrimLeft(TrimRight({AUX_ERR.PC})) LIKE 'C*' "},
        {"upper bound only",
         {rango(kUsuario, 129, "", "JUAN")},
         "TrimLeft(TrimRight({AUX_ERR.USUARIO})) <= 'JUAN' "},
        {"nothing given", {rango(kUsuario, 129, "", ""), rango(kFecha, 7, "", "")}, ""},
        {"blank range in between keeps the join",
         {rango(kUsuario, 129, "ANA", ""), rango(kPc, 129, " ", ""), rango(kError, 5, "7", "")},
         "TrimLeft(TrimRight({AUX_ERR.USUARIO})) >= 'ANA'  AND tonumber({AUX_ERR.ERROR}) >= 7 "},
        {"first test never carries its operator",
         {rango(kUsuario, 129, "", ""), rango(kPc, 129, "X", "", "OR")},
         "TrimLeft(TrimRight({AUX_ERR.PC})) >= 'X' "},
        {"operator keeps its case and loses its blanks",
         {rango(kUsuario, 129, "A", ""), rango(kPc, 129, "X", "", "  or ")},
         "TrimLeft(TrimRight({AUX_ERR.USUARIO})) >= 'A'  or TrimLeft(TrimRight({AUX_ERR.PC})) >= "
         "'X' "},
        {"without trimming",
         {[] {
             auto f = rango(kUsuario, 129, "ANA", "");
             f.SinRecorte = true;
             return f;
         }()},
         "{AUX_ERR.USUARIO} >= 'ANA' "},
        {"equal bounds pass",
         {rango(kUsuario, 129, "ana", "ANA")},
         "TrimLeft(TrimRight({AUX_ERR.USUARIO})) >= 'ana'  AND "
         "TrimLeft(TrimRight({AUX_ERR.USUARIO})) <= 'ANA' "},
        {"whole number bare", {rango("{T.N}", 20, "5", "12")}, "{T.N} >= 5  AND {T.N} <= 12 "},
        {"whole number pattern", {rango("{T.N}", 2, "1*", "")}, " ({T.N} LIKE '1*' )"},
        {"single precision with a sign and decimals",
         {rango("{T.N}", 4, "-1.5", "")},
         "{T.N} >= -1.5 "},
        {"apostrophes doubled",
         {rango(kUsuario, 129, "O'Brien", "O'*")},
         "TrimLeft(TrimRight({AUX_ERR.USUARIO})) >= 'O''Brien'  AND "
         "TrimLeft(TrimRight({AUX_ERR.USUARIO})) LIKE 'O''*' "},
        {"a plus sign is dropped",
         {rango(kError, 5, "+3", "")},
         "tonumber({AUX_ERR.ERROR}) >= 3 "},
        {"a date bound may be padded with NUL characters",
         {rango(kFecha, 7, QStringLiteral("01/12/2026") + QChar(0) + QChar(0), "")},
         "{AUX_ERR.fecha} >= Date(2026,12,01) "},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        EXPECT_EQ(arma(c.filtros), c.formula);
    }
}

struct Falla {
    const char* nombre;
    QList<FiltroRango> filtros;
    QString mensaje;
};

TEST(ArmaFormulaSeleccion, StopsAtTheFirstFaultAndLeavesTheFormula) {
    const QList<Falla> fallas = {
        {"unknown operator", {rango(kUsuario, 129, "", "", "XOR")}, "Operador logico incorrecto"},
        {"date that is no date",
         {rango(kFecha, 7, "ayer", "")},
         "Fecha Desde Incorrecta , Campo : {AUX_ERR.fecha}"},
        {"upper date that is no date",
         {rango(kFecha, 7, "01/12/2026", "31/02/2026")},
         "Fecha Desde Incorrecta , Campo : {AUX_ERR.fecha}"},
        {"dates reversed",
         {rango(kFecha, 7, "02/12/2026", "01/12/2026")},
         "Fecha Desde Mayor que Hasta , Campo : {AUX_ERR.fecha}"},
        {"text reversed without regard to case",
         {rango(kUsuario, 129, "b", "A")},
         "Desde Mayor que Hasta, Campo : {AUX_ERR.USUARIO}"},
        {"numbers reversed",
         {rango(kError, 5, "200", "100")},
         "Desde Mayor que Hasta, Campo : {AUX_ERR.ERROR}"},
        {"numbers compared as numbers",
         {rango("{T.N}", 20, "10", "9")},
         "Desde Mayor que Hasta, Campo : {T.N}"},
        {"letters in a number",
         {rango(kError, 5, "1; DROP", "")},
         "Valor numerico incorrecto , Campo : {AUX_ERR.ERROR}"},
        {"a star in a number compared through tonumber",
         {rango(kError, 5, "1*", "")},
         "Valor numerico incorrecto , Campo : {AUX_ERR.ERROR}"},
        {"beyond 16 bits",
         {rango("{T.N}", 2, "1", "40000")},
         "Valor numerico incorrecto , Campo : {T.N}"},
        {"beyond 32 bits",
         {rango("{T.N}", 20, "3000000000", "")},
         "Valor numerico incorrecto , Campo : {T.N}"},
        {"first fault wins",
         {rango(kUsuario, 129, "b", "a"), rango(kFecha, 7, "ayer", ""),
          rango(kUsuario, 129, "", "", "NOT")},
         "Desde Mayor que Hasta, Campo : {AUX_ERR.USUARIO}"},
        {"fault after a good range",
         {rango(kUsuario, 129, "A", "B"), rango(kError, 5, "x", "")},
         "Valor numerico incorrecto , Campo : {AUX_ERR.ERROR}"},
    };
    for (const Falla& f : fallas) {
        SCOPED_TRACE(f.nombre);
        QString formula = QStringLiteral("anterior");
        QString mensaje;
        ModGlobal::ArmaFormulaSeleccion(f.filtros, formula, &mensaje);
        EXPECT_EQ(mensaje, f.mensaje);
        EXPECT_EQ(formula, QStringLiteral("anterior"));
    }
}

// Text bounds are put in order as the database orders them: accents next to their letter,
// ñ between n and o, trailing blanks ignored; so a range the database would fill is accepted.
TEST(ArmaFormulaSeleccion, TextBoundsAreOrderedAsTheDatabaseOrdersThem) {
    const struct {
        const char* desde;
        const char* hasta;
        bool valido;
    } casos[] = {
        {"Á", "B", true},           {"Ángel", "Óscar", true}, {"Ñandú", "Oscar", true},
        {"nz", "ñ", true},          {"ñ", "o", true},         {"ángel", "ÁNGEL", true},
        {"Óscar", "Nora", false},   {"o", "ñ", false},        {"ñ", "nz", false},
        {"Ángel", "angel", false},  {"angel", "Ángel", true}, {"Pérez", "Perez", false},
        {"B", "Á", false},          {"Ana  ", "ana", true},   {"Zoe", "zoe ", true},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(std::string(c.desde) + " .. " + c.hasta);
        QString formula;
        QString mensaje;
        ModGlobal::ArmaFormulaSeleccion(
            {rango(kUsuario, 129, QString::fromUtf8(c.desde), QString::fromUtf8(c.hasta))},
            formula, &mensaje);
        EXPECT_EQ(mensaje.isEmpty(), c.valido) << mensaje.toStdString();
        EXPECT_EQ(formula.isEmpty(), !c.valido);
    }
}

TEST(ArmaFormulaSeleccion, PatternBoundsSkipTheOrderCheck) {
    EXPECT_EQ(arma({rango(kPc, 129, "Z*", "A")}),
              " (TrimLeft(TrimRight({AUX_ERR.PC})) LIKE 'Z*' "
              " AND TrimLeft(TrimRight({AUX_ERR.PC})) <= 'A' )");
    EXPECT_EQ(arma({rango("{T.N}", 20, "9*", "1")}), " ({T.N} LIKE '9*'  AND {T.N} <= 1 )");
}

TEST(ArmaFormulaSeleccion, WithoutAMessageArgumentAFaultIsSilent) {
    QString formula = QStringLiteral("anterior");
    ModGlobal::ArmaFormulaSeleccion({rango(kUsuario, 129, "b", "a")}, formula);
    EXPECT_EQ(formula, QStringLiteral("anterior"));
}

TEST(ArmaFormulaSeleccion, SuccessLeavesTheMessageAlone) {
    QString formula;
    QString mensaje = QStringLiteral("previo");
    ModGlobal::ArmaFormulaSeleccion({rango(kUsuario, 129, "A", "")}, formula, &mensaje);
    EXPECT_EQ(mensaje, QStringLiteral("previo"));
}

}  // namespace
