#include "tests/voucherdata/voucher_world.h"

#include "core/globals.h"
#include "platform/ado/tsql/builder.h"
#include "voucherdata/auxiliar_comprobantes.h"

#include <QFile>
#include <QImage>

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace vdtest {

namespace {

const char* const kColumns[] = {
    "TC",          "USUARIO",         "TIPO",
    "SECCION",     "IDCOMPROBANTE",   "IDCOMPLEMENTO",
    "COLUMNA1",    "COLUMNA2",        "COLUMNA3",
    "COLUMNA4",    "COLUMNA5",        "COLUMNA6",
    "COLUMNA7",    "COLUMNA8",        "ENCABEZADO",
    "PIEDEPAGINA", "COLUMNA9",        "COLUMNA10",
    "COLUMNA11",   "COLUMNA12",       "COLUMNA13",
    "COLUMNA14",   "COLUMNA15",       "COLUMNA16",
    "COLUMNA17",   "CANTIDAD_ORIGEN", "IMPORTEENLETRAS",
    "IDARTICULO",
};

}  // namespace

VoucherWorld::VoucherWorld() : WorkTableWorld(QStringLiteral("pc-caja"), QStringLiteral("ana")) {
    ModGlobal::gMaderera = false;
    ModGlobal::gCantidadDecimales = QStringLiteral("2");
    load(QStringLiteral("tests/data/voucherdata/vouchers.sql"));
    QImage afip(3, 2, QImage::Format_RGB32);
    afip.fill(Qt::blue);
    afip.save(folder.file(QStringLiteral("AFIP.PNG")));
    openDatabase();
}

VoucherWorld::~VoucherWorld() {
    ModGlobal::gMaderera = false;
    ModGlobal::gCantidadDecimales.clear();
}

QString VoucherWorld::build(const QString& tc, const QString& id, std::int16_t lineasTitulo,
                            const QString& idTarea, bool agregar) {
    QString tipo = tc;
    ModGlobal::GeneraAuxiliarComprobantes(tipo, id.mid(0, 4), id.mid(4, 8), id.mid(12, 1),
                                          QStringLiteral("0"), lineasTitulo, {}, {}, {}, {}, {},
                                          {}, idTarea, agregar);
    return tipo;
}

QString VoucherWorld::dump() const {
    return dumpWorkTable(kColumns);
}

void VoucherWorld::execRaw(const QString& sql) const {
    QString error;
    sqlite3* db = tsql::openDatabase(data.file(), &error);
    if (!db) {
        ADD_FAILURE() << error.toStdString();
        return;
    }
    char* message = nullptr;
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &message) != SQLITE_OK)
        ADD_FAILURE() << message;
    sqlite3_free(message);
    sqlite3_close(db);
}

const QList<Scenario>& scenarios() {
    static const QList<Scenario> list = {
        // Header with an apostrophe, footer, supplies with batches and dispatch notes, other
        // concepts with an apostrophe and a zero amount.
        {"factura", [](VoucherWorld& w) { w.build("FC", "000100000123A"); }},
        // Tasks (one with an apostrophe in its rich text, two sharing an id), a supply line.
        {"orden_trabajo", [](VoucherWorld& w) { w.build("OT", "000100000045X"); }},
        // A delivery note of a retail business: the pending lines of its origin order.
        {"remito",
         [](VoucherWorld& w) {
             w.config("RETAIL", "SI");
             w.build("RM", "000200000010R");
         }},
        // The tax put back on pro-forma lines.
        {"proforma",
         [](VoucherWorld& w) {
             w.config("RobaIvaProforma", "SI");
             w.build("FP", "000300000001X");
         }},
        // A credit note lists every batch of its lines.
        {"nota_credito", [](VoucherWorld& w) { w.build("NC", "000100000007A"); }},
        // One task asked for on a work order without tasks: its daily log.
        {"diarios", [](VoucherWorld& w) { w.build("OT", "000100000046X", 3, "T9"); }},
    };
    return list;
}

QString expectedFile(const char* name) {
    return zxtest::sourcePath(QStringLiteral("tests/data/voucherdata/") +
                              QString::fromLatin1(name) + QStringLiteral("/aux_mv_cpte.txt"));
}

}  // namespace vdtest
