-- The company database as the system reads and writes it: every table and view its SQL texts
-- name, with the columns they use. Written for SQL Server; the tests and the demo run it on the
-- embedded engine through the translator (text columns then compare as SQL Server's default
-- collation does: without regard to case, trailing blanks ignored).
--
-- Conventions: codes and texts VARCHAR with their width, amounts NUMERIC(18,4), dates DATETIME
-- (held as ISO text on the embedded engine), flags BIT, images IMAGE. Objects that are views in
-- production are tables here, so tests can fill them; names that more than one query joins
-- without qualifying a column keep that column in one object only.

-- ---------------------------------------------------------------------------------------------
-- Configuration, users, access log, error log
-- ---------------------------------------------------------------------------------------------

CREATE TABLE dbo.TA_CONFIGURACION (
    CLAVE varchar(100) NOT NULL PRIMARY KEY,
    VALOR varchar(255) NULL,
    ValorAux varchar(255) NULL,
    Grupo varchar(50) NULL,
    PoliticaNegocio bit NULL
)
GO

CREATE TABLE dbo.TA_USUARIOS (
    ID int IDENTITY(1,1) NOT NULL,
    Nombre varchar(50) NOT NULL UNIQUE,
    Administrador smallint NOT NULL DEFAULT (0),
    UNegocio varchar(4) NULL,
    verproforma bit NULL,
    eMail_Server varchar(100) NULL,
    email_usuario varchar(100) NULL,
    email_Password varchar(100) NULL,
    email_ServerOtro varchar(100) NULL,
    email_De varchar(100) NULL,
    FECHAHORA_GRABACION datetime NULL,
    FECHAHORA_MODIFICACION datetime NULL
)
GO

CREATE TABLE dbo.Control_Acceso (
    ID int IDENTITY(1,1) NOT NULL,
    Maquina varchar(50) NULL,
    Usuario varchar(50) NULL,
    Formulario varchar(50) NULL,
    Tarea varchar(100) NULL,
    Ingreso varchar(20) NULL,
    NombreUsuario varchar(50) NULL
)
GO

CREATE TABLE dbo.TA_TAREAS (
    USUARIO varchar(50) NOT NULL,
    TAREA varchar(20) NOT NULL,
    PRIMARY KEY (USUARIO, TAREA)
)
GO

CREATE TABLE dbo.TA_MENU (
    Clave varchar(20) NOT NULL PRIMARY KEY,
    Proceso varchar(50) NULL,
    Nombre varchar(100) NULL
)
GO

CREATE TABLE dbo.AUX_ERR (
    ID int IDENTITY(1,1) NOT NULL,
    Proceso varchar(50) NULL,
    fecha datetime NULL,
    Error int NULL,
    Descripcion varchar(250) NULL,
    sql varchar(MAX) NULL,
    PC varchar(100) NULL,
    Usuario varchar(50) NULL
)
GO

CREATE INDEX IX_AUX_ERR_fecha ON dbo.AUX_ERR (fecha)
GO

CREATE TABLE dbo.TA_REPORTES (
    NOMBRE varchar(200) NOT NULL PRIMARY KEY,
    Archivo varchar(255) NULL,
    Archivo2 varchar(255) NULL,
    Archivo3 varchar(255) NULL,
    Archivo4 varchar(255) NULL
)
GO

-- ---------------------------------------------------------------------------------------------
-- Vouchers
-- ---------------------------------------------------------------------------------------------

CREATE TABLE dbo.V_MV_CPTE (
    ID int IDENTITY(1,1) NOT NULL,
    TC varchar(4) NOT NULL,
    IDCOMPROBANTE varchar(13) NOT NULL,
    IDCOMPLEMENTO int NOT NULL DEFAULT (0),
    UNEGOCIO varchar(4) NULL,
    CodCpteAfip int NULL,
    Moneda varchar(4) NULL,
    Importe numeric(18,4) NULL,
    fecha datetime NULL,
    documentotipo varchar(4) NULL,
    DOCUMENTONUMERO varchar(20) NULL,
    ComprobanteOrigen varchar(13) NULL,
    TcOrigen varchar(4) NULL,
    condicionIVA varchar(4) NULL,
    transporte varchar(100) NULL,
    IdVendedor varchar(10) NULL,
    Nombre varchar(100) NULL,
    CUENTA varchar(20) NULL,
    RetGan_Importe numeric(18,4) NULL,
    RetIVA_importe numeric(18,4) NULL,
    RETIBR_Importe numeric(18,4) NULL,
    ImpDescuento1 numeric(18,4) NULL,
    retsuss_importe numeric(18,4) NULL
)
GO

CREATE TABLE dbo.V_MV_CPTE_ELECTRONICOS (
    TC varchar(4) NOT NULL,
    IDCOMPROBANTE varchar(13) NOT NULL,
    fecha_CPTE datetime NULL,
    CAE varchar(20) NULL
)
GO

CREATE TABLE dbo.V_MV_CPTE_OBSERV (
    ID int IDENTITY(1,1) NOT NULL,
    TC varchar(4) NOT NULL,
    IdComprobante varchar(13) NOT NULL,
    IDCOMPLEMENTO int NOT NULL DEFAULT (0),
    Tipo_Obs varchar(2) NULL,
    Observacion varchar(1000) NULL,
    Importe numeric(18,4) NULL,
    Importe_S_IVA numeric(18,4) NULL,
    fechavj datetime NULL,
    NroViaje varchar(20) NULL
)
GO

CREATE TABLE dbo.V_MV_CPTEINSUMOS (
    ID int IDENTITY(1,1) NOT NULL,
    TC varchar(4) NOT NULL,
    IdComprobante varchar(13) NOT NULL,
    IDCOMPLEMENTO int NOT NULL DEFAULT (0),
    IdArticulo varchar(25) NULL,
    Descripcion varchar(200) NULL,
    idUnidad varchar(4) NULL,
    Cantidad numeric(18,4) NULL,
    Importe numeric(18,4) NULL,
    Total numeric(18,4) NULL,
    Importe_S_IVA numeric(18,4) NULL,
    AlicIVA numeric(18,4) NULL,
    Nro_Lote varchar(200) NULL,
    Nro_Serie varchar(200) NULL,
    PorcDto numeric(18,4) NULL,
    Impuestos numeric(18,4) NULL,
    ControladoPor varchar(1) NULL,
    CantidadUd numeric(18,4) NULL,
    IdUnidadBase varchar(4) NULL,
    Equiv_UDBase numeric(18,4) NULL,
    CANTIDAD_ORIGEN numeric(18,4) NULL,
    Ud_Pr varchar(4) NULL,
    Importe_Ud numeric(18,4) NULL,
    Cantidadpreparada numeric(18,4) NULL,
    CANTIDADAFACTURAR numeric(18,4) NULL
)
GO

CREATE TABLE dbo.VT_V_MV_INSUMOS_NPPENDIENTE (
    TC varchar(4) NOT NULL,
    IDCOMPROBANTE varchar(13) NOT NULL,
    IDARTICULO varchar(25) NULL
)
GO

CREATE TABLE dbo.V_MV_CPTETAREAS (
    ID int IDENTITY(1,1) NOT NULL,
    TC varchar(4) NOT NULL,
    IDCOMPROBANTE varchar(13) NOT NULL,
    IDCOMPLEMENTO int NOT NULL DEFAULT (0),
    IDTAREA varchar(10) NULL,
    Descripcion varchar(200) NULL,
    descripcionadicional varchar(1000) NULL,
    Horas numeric(18,4) NULL,
    ValorHora numeric(18,4) NULL,
    Total numeric(18,4) NULL,
    valorHora_S_Iva numeric(18,4) NULL
)
GO

CREATE TABLE dbo.V_MV_DIARIOS (
    ID int IDENTITY(1,1) NOT NULL,
    TC varchar(4) NOT NULL,
    IDCOMPROBANTE varchar(13) NOT NULL,
    IDCOMPLEMENTO int NOT NULL DEFAULT (0),
    IDTAREA varchar(10) NULL,
    Descripcion varchar(200) NULL,
    Observaciones varchar(1000) NULL,
    Minutos int NULL
)
GO

CREATE TABLE dbo.V_TA_CPTE (
    Codigo varchar(4) NOT NULL PRIMARY KEY,
    SISTEMA varchar(20) NULL
)
GO

CREATE TABLE dbo.V_TA_UNIDADNEGOCIO (
    CODIGO varchar(4) NOT NULL PRIMARY KEY,
    PDV varchar(4) NULL,
    ruta_reporte varchar(255) NULL,
    usaefc bit NULL,
    razon_social varchar(100) NULL,
    Cuit varchar(13) NULL,
    Descripcion varchar(100) NULL
)
GO

CREATE TABLE dbo.TA_COTIZACION (
    ID int IDENTITY(1,1) NOT NULL,
    FECHA_HORA datetime NOT NULL,
    MONEDA2 numeric(18,6) NULL,
    MONEDA3 numeric(18,6) NULL,
    MONEDA4 numeric(18,6) NULL
)
GO

CREATE TABLE dbo.TA_MONEDAS (
    Codigo varchar(4) NOT NULL PRIMARY KEY,
    Descripcion varchar(50) NULL
)
GO

CREATE TABLE dbo.TA_CONDIVA (
    Codigo varchar(4) NOT NULL PRIMARY KEY,
    DESCRIPCION varchar(50) NULL
)
GO

CREATE TABLE dbo.STK_DESPACHOS (
    NroLote varchar(50) NOT NULL,
    ControladoPor varchar(1) NULL,
    Descripcion varchar(200) NULL
)
GO

CREATE TABLE dbo.C_MV_CPTE (
    FECHA datetime NULL,
    IMPORTE numeric(18,4) NULL,
    TC varchar(4) NOT NULL,
    IDCOMPROBANTE varchar(13) NOT NULL,
    CUENTA varchar(20) NULL
)
GO

CREATE TABLE dbo.V_MV_STOCK (
    TC varchar(4) NOT NULL,
    IDCOMPROBANTE varchar(13) NOT NULL
)
GO

CREATE TABLE dbo.V_MV_CIERRECAJA (
    IDCIERRE int NOT NULL,
    FECHA datetime NULL,
    IMPORTE numeric(18,4) NULL
)
GO

-- ---------------------------------------------------------------------------------------------
-- Print work tables (rows per station)
-- ---------------------------------------------------------------------------------------------

-- The identity first, then the nineteen columns in the order the receipt copy's insert gives
-- its values, then the further columns.
CREATE TABLE dbo.AUX_MV_CPTE (
    ID int IDENTITY(1,1) NOT NULL,
    TC varchar(4) NULL,
    USUARIO varchar(100) NULL,
    TIPO varchar(2) NULL,
    SECCION varchar(2000) NULL,
    IDCOMPROBANTE varchar(13) NULL,
    IDCOMPLEMENTO int NULL,
    COLUMNA1 varchar(255) NULL,
    COLUMNA2 varchar(255) NULL,
    COLUMNA3 varchar(255) NULL,
    COLUMNA4 varchar(255) NULL,
    COLUMNA5 varchar(255) NULL,
    COLUMNA6 varchar(255) NULL,
    COLUMNA7 varchar(255) NULL,
    COLUMNA8 varchar(255) NULL,
    ENCABEZADO varchar(2000) NULL,
    PIEDEPAGINA varchar(2000) NULL,
    COLUMNA9 varchar(255) NULL,
    COLUMNA10 varchar(255) NULL,
    COLUMNA11 varchar(255) NULL,
    COLUMNA12 varchar(255) NULL,
    COLUMNA13 varchar(255) NULL,
    COLUMNA14 varchar(255) NULL,
    COLUMNA15 varchar(255) NULL,
    COLUMNA16 varchar(255) NULL,
    COLUMNA17 varchar(255) NULL,
    CANTIDAD_ORIGEN numeric(18,4) NULL,
    IMPORTEENLETRAS varchar(500) NULL,
    IDARTICULO varchar(25) NULL
)
GO

CREATE TABLE dbo.AUX_MV_CPTEQR (
    Usuario varchar(50) NULL,
    TC varchar(4) NOT NULL,
    IdComprobante varchar(13) NOT NULL,
    muestra_logo varchar(2) NULL,
    QR_AFIP image NULL,
    IMG_AFIP image NULL,
    LOGO_EMPRESA image NULL
)
GO

-- Copies and lines are read by their leading number; the default destination is a word
-- ("Pantalla", "Impresora", "Comandera :COCINA", ...).
CREATE TABLE dbo.TA_CONFIG_IMP_CPTE (
    TC varchar(5) NOT NULL,
    LETRA varchar(1) NULL,
    USUARIO varchar(100) NULL,
    impresora varchar(255) NULL,
    CantCopias varchar(20) NULL,
    CantLineas varchar(20) NULL,
    DestinoDefault varchar(100) NULL
)
GO

-- ---------------------------------------------------------------------------------------------
-- Articles, customers, suppliers and the lookup lists
-- ---------------------------------------------------------------------------------------------

-- Holds no TC, IDCOMPROBANTE or unegocio: vouchers join it without qualifying those columns.
CREATE TABLE dbo.V_MA_ARTICULOS (
    IDARTICULO varchar(25) NOT NULL PRIMARY KEY,
    DESCRIPCION varchar(200) NULL,
    CodigoArtProveedor varchar(25) NULL,
    idrubro varchar(4) NULL,
    Pesable bit NULL,
    talledefault varchar(10) NULL,
    SUSPENDIDO bit NULL,
    PUNTOPEDIDO numeric(18,4) NULL,
    Stock numeric(18,4) NULL,
    PRECIO1 numeric(18,4) NULL,
    PRECIO2 numeric(18,4) NULL,
    PRECIO3 numeric(18,4) NULL,
    PRECIO4 numeric(18,4) NULL,
    PRECIO5 numeric(18,4) NULL,
    PRECIO6 numeric(18,4) NULL,
    PRECIO7 numeric(18,4) NULL,
    PRECIO8 numeric(18,4) NULL
)
GO

CREATE TABLE dbo.VT_MA_ARTICULOS (
    IDARTICULO varchar(25) NOT NULL PRIMARY KEY,
    DESCRIPCION varchar(200) NULL,
    SUSPENDIDO bit NULL,
    PUNTOPEDIDO numeric(18,4) NULL,
    Stock numeric(18,4) NULL,
    PRECIO1 numeric(18,4) NULL,
    PRECIO2 numeric(18,4) NULL,
    PRECIO3 numeric(18,4) NULL,
    PRECIO4 numeric(18,4) NULL,
    PRECIO5 numeric(18,4) NULL,
    PRECIO6 numeric(18,4) NULL,
    PRECIO7 numeric(18,4) NULL,
    PRECIO8 numeric(18,4) NULL
)
GO

CREATE TABLE dbo.STK_MA_ARTICULOS (
    IDARTICULO varchar(25) NOT NULL PRIMARY KEY,
    DESCRIPCION varchar(200) NULL,
    SUSPENDIDO bit NULL,
    Stock numeric(18,4) NULL
)
GO

CREATE TABLE dbo.VT_CLIENTES (
    CODIGO varchar(20) NOT NULL PRIMARY KEY,
    RAZON_SOCIAL varchar(100) NULL,
    CONTACTO varchar(100) NULL,
    Dada_De_Baja bit NULL,
    fax varchar(50) NULL
)
GO

CREATE TABLE dbo.VT_PROVEEDORES (
    CODIGO varchar(20) NOT NULL PRIMARY KEY,
    RAZON_SOCIAL varchar(100) NULL,
    Dada_De_Baja bit NULL
)
GO

CREATE TABLE dbo.MA_CONTACTOS (
    Nombre_y_Apellido varchar(100) NULL,
    Domicilio varchar(100) NULL,
    Localidad varchar(50) NULL,
    Telefono varchar(50) NULL,
    CuentaRel varchar(20) NULL,
    email varchar(100) NULL,
    mailPGCB int NULL,
    MAILOT int NULL,
    MAILOC int NULL
)
GO

CREATE TABLE dbo.V_TA_VENDEDORES (
    IDVENDEDOR varchar(10) NOT NULL PRIMARY KEY,
    NOMBRE varchar(100) NULL
)
GO

CREATE TABLE dbo.V_TA_TECNICOS (
    IDTECNICO varchar(10) NOT NULL PRIMARY KEY,
    NOMBRE varchar(100) NULL
)
GO

CREATE TABLE dbo.V_MA_MANTENIMIENTOS (
    CODIGO varchar(10) NOT NULL PRIMARY KEY,
    DESCRIPCION varchar(100) NULL
)
GO

CREATE TABLE dbo.V_TA_TAREAS (
    IdTarea varchar(10) NOT NULL PRIMARY KEY,
    Descripcion varchar(100) NULL
)
GO

CREATE TABLE dbo.V_TA_DEPOSITO (
    IdDeposito varchar(4) NOT NULL PRIMARY KEY,
    Descripcion varchar(100) NULL,
    UnidadNegocio varchar(4) NULL
)
GO

CREATE TABLE dbo.V_TA_FAMILIAS (
    IdFamilia varchar(20) NOT NULL PRIMARY KEY,
    Descripcion varchar(100) NULL
)
GO

CREATE TABLE dbo.MA_POSICIONES (
    IDPOSICION varchar(20) NOT NULL PRIMARY KEY,
    Descripcion varchar(100) NULL
)
GO

CREATE TABLE dbo.TA_CCOSTO (
    CODIGO varchar(20) NOT NULL PRIMARY KEY,
    Descripcion varchar(100) NULL
)
GO

CREATE TABLE dbo.V_TA_RUBROS (
    CODIGO varchar(4) NOT NULL PRIMARY KEY,
    DESCRIPCION varchar(100) NULL
)
GO

CREATE TABLE dbo.V_TA_UNIDAD (
    CODIGO varchar(4) NOT NULL PRIMARY KEY,
    DESCRIPCION varchar(100) NULL
)
GO

CREATE TABLE dbo.V_MV_MUTUALES (
    ID int IDENTITY(1,1) NOT NULL,
    CODIGO varchar(20) NULL,
    DESCRIPCION varchar(100) NULL
)
GO

CREATE TABLE dbo.V_MV_TROPA_STOCK (
    ID int IDENTITY(1,1) NOT NULL,
    TROPA varchar(20) NULL,
    DESCRIPCION varchar(100) NULL
)
GO

-- Written in production through a view; a table here.
CREATE TABLE dbo.V_MV_FALTANTES (
    FechaHora datetime NULL,
    IdArticulo varchar(25) NULL,
    Descripcion varchar(200) NULL,
    Usuario varchar(50) NULL
)
GO

-- ---------------------------------------------------------------------------------------------
-- Mail
-- ---------------------------------------------------------------------------------------------

-- The send log: written through a recordset and updated, a table here.
CREATE TABLE dbo.V_MA_EMAILMOV (
    ID int IDENTITY(1,1) NOT NULL,
    De varchar(255) NULL,
    Para varchar(1000) NULL,
    Asunto varchar(255) NULL,
    Mensaje varchar(MAX) NULL,
    adjunto varchar(1000) NULL,
    CodigoActivador varchar(20) NULL,
    FechaHora datetime NULL,
    Usuario varchar(50) NULL,
    TC varchar(4) NULL,
    IdComprobante varchar(13) NULL,
    Status varchar(255) NULL,
    Cuenta varchar(20) NULL,
    CuentaEmail varchar(255) NULL,
    Tipo varchar(20) NULL,
    contestadopor varchar(50) NULL,
    uidl varchar(255) NULL
)
GO

CREATE TABLE dbo.V_MA_EMAIL (
    codigoactivador varchar(20) NOT NULL PRIMARY KEY,
    baja bit NULL,
    SinConfirmacion bit NULL,
    De varchar(255) NULL,
    Para varchar(1000) NULL,
    Asunto varchar(255) NULL,
    Mensaje varchar(MAX) NULL
)
GO

CREATE TABLE dbo.MA_CUENTASADIC (
    Codigo varchar(20) NOT NULL PRIMARY KEY,
    mail varchar(255) NULL
)
GO

CREATE TABLE dbo.TA_CLASIFICACIONES (
    Codigo varchar(20) NOT NULL PRIMARY KEY,
    Color varchar(20) NULL
)
GO

CREATE TABLE dbo.VT_E_MAIL (
    email varchar(255) NULL,
    razonsocial varchar(100) NULL
)
GO

-- ---------------------------------------------------------------------------------------------
-- Accounting
-- ---------------------------------------------------------------------------------------------

-- Holds no cuenta, importe, tc, sucursal, numero, letra or DEBE-HABER: the entries join it
-- without qualifying those columns.
CREATE TABLE dbo.MA_CUENTAS (
    Codigo varchar(20) NOT NULL PRIMARY KEY,
    CodigoOpcional varchar(20) NULL,
    Descripcion varchar(100) NULL,
    MedioDePago varchar(2) NULL,
    TipoVista varchar(2) NULL
)
GO

-- Holds no Codigo, Descripcion or MedioDePago, for the same reason.
CREATE TABLE dbo.MV_ASIENTOS (
    TC varchar(4) NOT NULL,
    SUCURSAL varchar(4) NOT NULL,
    NUMERO varchar(8) NOT NULL,
    LETRA varchar(1) NOT NULL,
    FECHA datetime NULL,
    [NUMERO ASIENTO] int NULL,
    MES_OPERATIVO int NULL,
    PERIODO int NULL,
    Cuenta varchar(20) NULL,
    Importe numeric(18,4) NULL,
    [DEBE-HABER] varchar(1) NULL,
    Detalle varchar(255) NULL,
    ChPropio bit NULL,
    NROCOMPROBANTEBANCARIO varchar(20) NULL,
    tj_observaciones varchar(255) NULL,
    IdBanco varchar(10) NULL,
    Vencimiento datetime NULL,
    TJ_NroCupon varchar(20) NULL,
    TJ_NroSocio varchar(30) NULL,
    TJ_cuotas int NULL,
    CABIMPORTE numeric(18,4) NULL,
    FECHASUBDIARIO datetime NULL
)
GO

CREATE TABLE dbo.MV_APLICACION (
    TC varchar(4) NOT NULL,
    IDCOMPROBANTE varchar(13) NOT NULL,
    Sucursal varchar(4) NULL,
    Numero varchar(8) NULL,
    letra varchar(1) NULL,
    SUCURSAL_ORIGEN varchar(4) NULL,
    NUMERO_ORIGEN varchar(8) NULL,
    LETRA_ORIGEN varchar(1) NULL,
    TCO_ORIGEN varchar(4) NULL,
    IDCOMPROBANTE_ORIGEN varchar(13) NULL,
    IMPORTE numeric(18,4) NULL,
    TC_PRINT varchar(4) NULL,
    IDCOMPROBANTE_PRINT varchar(13) NULL,
    CUENTA varchar(20) NULL
)
GO

CREATE TABLE dbo.V_TA_BANCOS (
    IDBANCO varchar(10) NOT NULL PRIMARY KEY,
    DESCRIPCION varchar(100) NULL
)
GO

CREATE TABLE dbo.VE_SALDOAPLICACION (
    SALDO numeric(18,4) NULL,
    TCO_ORIGEN varchar(4) NULL,
    SUCURSAL_ORIGEN varchar(4) NULL,
    NUMERO_ORIGEN varchar(8) NULL,
    LETRA_ORIGEN varchar(1) NULL,
    CUENTA varchar(20) NULL
)
GO

CREATE TABLE dbo.TA_CUENTASIVA (
    CB_RETIVA varchar(20) NULL,
    CB_RETGAN varchar(20) NULL,
    CB_RETIB varchar(20) NULL,
    CB_DESCUENTO varchar(20) NULL,
    PG_RETIVA varchar(20) NULL,
    PG_RETGAN varchar(20) NULL,
    PG_RETIB varchar(20) NULL,
    PG_DESCUENTO varchar(20) NULL,
    CFI_RETPERC varchar(20) NULL,
    CFI_RETIGAN varchar(20) NULL,
    CFI_RETIBTOS varchar(20) NULL
)
GO

CREATE TABLE dbo.V_TA_CAJAS (
    IdCaja varchar(4) NOT NULL PRIMARY KEY,
    Descripcion varchar(100) NULL
)
GO

CREATE TABLE dbo.AC_CUENTASDIARIO (
    Diario varchar(10) NOT NULL,
    Cuenta varchar(20) NOT NULL
)
GO

CREATE TABLE dbo.AC_CUENTASDIARIO_CCOSTO (
    Diario varchar(10) NOT NULL,
    Cuenta varchar(20) NOT NULL,
    CCosto varchar(20) NULL
)
GO

-- ---------------------------------------------------------------------------------------------
-- Synonyms that users who are not administrators read instead of the tables
-- ---------------------------------------------------------------------------------------------

CREATE VIEW dbo.SS_MA_CUENTAS AS SELECT * FROM dbo.MA_CUENTAS
GO
CREATE VIEW dbo.SS_V_TA_DEPOSITO AS SELECT * FROM dbo.V_TA_DEPOSITO
GO
CREATE VIEW dbo.SS_MV_ASIENTOS AS SELECT * FROM dbo.MV_ASIENTOS
GO
CREATE VIEW dbo.SS_V_TA_FAMILIAS AS SELECT * FROM dbo.V_TA_FAMILIAS
GO
CREATE VIEW dbo.SS_V_TA_CAJAS AS SELECT * FROM dbo.V_TA_CAJAS
GO
CREATE VIEW dbo.SS_AC_CUENTASDIARIO AS SELECT * FROM dbo.AC_CUENTASDIARIO
GO
CREATE VIEW dbo.SS_AC_CUENTAS_DIARIO_CCOSTO AS SELECT * FROM dbo.AC_CUENTASDIARIO_CCOSTO
GO
