#pragma once

#include <QString>

// A few tables shaped like the system's, for the layer's own tests.
inline QString fixtureSchema() {
    return QStringLiteral(
        "CREATE TABLE AUX_ERR (ID INTEGER PRIMARY KEY AUTOINCREMENT, Proceso VARCHAR(100), "
        "fecha DATETIME, Error INTEGER, Descripcion VARCHAR(250), sql TEXT, PC VARCHAR(50), "
        "Usuario VARCHAR(50));"
        "CREATE TABLE TA_CONFIGURACION (CLAVE VARCHAR(50) PRIMARY KEY, VALOR VARCHAR(255), "
        "ValorAux TEXT, Grupo VARCHAR(50) DEFAULT 'GENERAL', PoliticaNegocio INTEGER);"
        "CREATE TABLE MV_ASIENTOS (TC CHAR(4), [NUMERO ASIENTO] INTEGER, Importe MONEY, "
        "Monto NUMERIC(18,2), Tasa REAL, Activo BIT, Chico SMALLINT, Grande BIGINT, Foto BLOB, "
        "FECHA DATETIME, Nota NVARCHAR(30));"
        "CREATE VIEW V_CONFIG AS SELECT CLAVE, VALOR FROM TA_CONFIGURACION;"
        "CREATE TABLE HIJO (ID INTEGER PRIMARY KEY, PADRE VARCHAR(50) REFERENCES "
        "TA_CONFIGURACION(CLAVE), CHECK (ID > 0));"
        "INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES ('NOMBRE', 'Comercial Norte');"
        "INSERT INTO MV_ASIENTOS VALUES ('CB', 7, 1234.5, 10.456, 0.21, 1, 3, 9000000000, "
        "x'0102', '2024-03-05 14:30:00', 'Ñandú');");
}
