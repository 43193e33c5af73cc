#pragma once

#include "lookup/mascaras.h"
#include "platform/vb/variant.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The program-wide lookup service: turns a table, a view or a SELECT into one lookup, shows
// it in the search grid or the code tree, and leaves the operator's choice in its members.
class Lib_ClsCons3 {
public:
    // Reads its stock colours and the like-search flag from the configuration.
    Lib_ClsCons3();

    vb::Variant StkNivel1, StkNivel2, StkNivel3, StkNivel4;
    QString MuestraStock;
    std::optional<QStringList> CmpsDevueltos;
    std::optional<QStringList> Valores;
    // One quantity per returned value when the lookup asked quantities.
    std::optional<QList<double>> Cantidades;
    bool Checks = false;
    vb::Variant ValorDevuelto;
    QString gConnString;
    QString gRutaMascaraConsultas;
    bool gUsarMascarasConsultas = false;
    bool UsaCantidades = false;
    QString CampoDevuelto;

    // Shows the lookup of `sql` (a table, a view or a complete SELECT). `CampoBusqueda` and
    // `Where`, when given, come back as the lookup used them; the caller's `CmpsDevueltos`
    // comes back emptied and released once a form was shown.
    void ConsultaSearch(const QString& sql, std::optional<QStringList>* CmpsDevueltos = nullptr,
                        const QString& Clave = {}, QString* CampoBusqueda = nullptr,
                        QString* Where = nullptr, const QString& SentenciaOpcional = {},
                        bool TreeView = false, const QString& ValoresDefault = {});

    // Several options with check boxes; each option begins with its flag ("1" checked). The
    // checked options are left in Valores; the result is always empty.
    QString CheckOpciones(const QString& Titulo, const std::optional<QStringList>& CmpsDevueltos,
                          const QStringList& Opciones);
    // One option; the option chosen, empty after Cancel.
    QString MenuOpciones(const QString& Titulo, const QStringList& Opciones);
    // One line of a text file; the line chosen, empty after Cancel or for a missing file.
    QString ConsultaDesdeArchivo(const QString& Titulo, const QString& QueArchivo,
                                 const QString& Separador = {});

private:
    QString opciones(const QString& Titulo, const QStringList& filas, bool checks,
                     const QList<bool>& marcadas, int largo);

    bool consultaLike_ = false;
};

// The one instance, created on first use.
Lib_ClsCons3& gConsultas();

// Writes the default definitions into the file named by gConsultas().gRutaMascaraConsultas.
// Raises a VbError when the file cannot be written.
void CreaMascarasConsultas();

namespace lookup {

// Start-up's steps for the lookup service: its connection string and definition file (the
// definitions in use from then on), and the default definitions when no regular file is at
// that path.
void PreparaConsultas(const QString& connString, const QString& rutaMascaras);
void CreaMascarasSiFaltan();

}  // namespace lookup
