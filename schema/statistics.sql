-- The statistics database ("KQ_ESTADISTICAS"): its own configuration table, read and written on
-- the statistics connection (keys such as "TimeOut" of group "BaseDeDatos" and
-- "FTP_CODIGOCTA"). Written for SQL Server; run on the embedded engine through the translator.

CREATE TABLE dbo.TA_CONFIGURACION (
    CLAVE varchar(100) NOT NULL PRIMARY KEY,
    VALOR varchar(255) NULL,
    ValorAux varchar(255) NULL,
    Grupo varchar(50) NULL,
    PoliticaNegocio bit NULL
)
GO
