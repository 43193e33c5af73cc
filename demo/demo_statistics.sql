-- The demo's statistics database: the command time-out of the program's connection.

INSERT INTO TA_CONFIGURACION (CLAVE, VALOR, Grupo) VALUES ('TimeOut', '360', 'BaseDeDatos')
GO
