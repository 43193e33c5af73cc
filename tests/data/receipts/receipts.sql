-- Receipts and payment orders of the receipt print-data tests. Voucher types are stored as
-- written; the code compares them padded to four characters, which the server's comparison
-- of texts (trailing blanks aside) finds.

INSERT INTO MA_CUENTAS (Codigo, CodigoOpcional, Descripcion, MedioDePago, TipoVista) VALUES
    ('1.1.01', 'CAJA', 'Caja Pesos', 'EF', NULL),
    ('1.1.02', 'BCONAC', 'Banco Nación Cta. Cte.', 'CH', 'BC'),
    ('1.1.03', 'VALORES', 'Valores a Depositar', 'CH', NULL),
    ('1.1.04', 'DEBITO', 'Débito Automático', 'DB', NULL),
    ('1.1.05', 'VISA', 'Tarjeta Visa', 'TJ', NULL),
    ('1.1.06', 'RETIVA', 'Retención IVA', 'RI', NULL),
    ('1.1.07', 'RETGAN', 'Retención Ganancias', 'RG', NULL),
    ('1.1.08', 'RETIB', 'Retención IIBB', 'RB', NULL),
    ('1.1.09', 'RETSUSS', 'Retención SUSS', 'RO', NULL),
    ('1.1.10', 'RETOTRA', 'Otras Retenciones', 'RO', NULL),
    ('1.1.11', 'CAJAUSD', 'Caja Dólares', 'ef ', NULL),
    ('4.1.01', 'DESC', 'Descuentos Otorgados', NULL, NULL),
    ('C0001', NULL, 'Deudores por Ventas', NULL, NULL),
    ('P0001', NULL, 'Proveedor Maderas del Sur', NULL, NULL);

INSERT INTO TA_CUENTASIVA (CB_RETIVA, CB_RETGAN, CB_RETIB, CB_DESCUENTO, PG_RETIVA, PG_RETGAN,
                           PG_RETIB, PG_DESCUENTO, CFI_RETPERC, CFI_RETIGAN, CFI_RETIBTOS)
    VALUES ('1.1.06', '1.1.07', '1.1.08', '4.1.01', NULL, '  ', NULL, '5.1.01', '1.1.06',
            '1.1.07', '1.1.08');

INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES
    ('CTA_RET_OTRA_1.1.09', 'su'),
    ('CuentaDesCuentosObtenidos', '4.1.09');

INSERT INTO V_TA_BANCOS (IDBANCO, DESCRIPCION) VALUES
    ('011', 'Banco de la Nación Argentina'),
    ('007', 'Banco de Galicia');

INSERT INTO V_TA_CPTE (Codigo, SISTEMA) VALUES
    ('FC', 'VENTAS'), ('ND', 'VENTAS'), ('NC', 'VENTAS'), ('CB', 'CONTABLE'),
    ('FP', 'Compras'), ('NCC', 'COMPRAS'), ('OPG', 'CONTABLE');

-- Rows the receipts must leave alone, and a stale row of the station under test.
INSERT INTO AUX_MV_CPTE (TC, USUARIO, TIPO, IDCOMPROBANTE, IDCOMPLEMENTO, COLUMNA1) VALUES
    ('CB', 'OTRA|PC', '1', '000100000010X', 0, 'otra estación'),
    ('FC', 'PC-CAJA|ANA', '1', '000100000999A', 0, 'resto de un comprobante anterior');

-- Receipt CB 0001-00000010X: three applied vouchers, ten entry lines, one credit note.
INSERT INTO MV_APLICACION (TC, IDCOMPROBANTE, Sucursal, Numero, letra, SUCURSAL_ORIGEN,
                           NUMERO_ORIGEN, LETRA_ORIGEN, TCO_ORIGEN, IDCOMPROBANTE_ORIGEN, IMPORTE,
                           TC_PRINT, IDCOMPROBANTE_PRINT, CUENTA) VALUES
    ('CB', '000100000010X', '0001', '00000010', 'X', '0002', '00000101', 'A', 'FC',
     '000200000101A', 850, 'CB', '000100000010X', 'C0001'),
    ('NC', '000200000005A', '0002', '00000005', 'A', '0002', '00000101', 'A', 'FC',
     '000200000101A', 150, 'CB', '000100000010X', 'C0001'),
    ('CB', '000100000010X', '0001', '00000010', 'X', '0002', '00000102', 'A', 'FC',
     '000200000102A', 99.5, 'CB', '000100000010X', 'C0001'),
    ('CB', '000100000010X', '0001', '00000010', 'X', '0002', '00000007', 'A', 'ND',
     '000200000007A', 250.5, 'CB', '000100000010X', 'C0001');

INSERT INTO V_MV_CPTE (TC, IDCOMPROBANTE, Importe, fecha, CUENTA) VALUES
    ('FC', '000200000101A', 1000, '2026-11-02', 'C0001'),
    ('FC', '000200000102A', 99.5, '2026-11-15', 'C0001'),
    ('CB', '000100000010X', 1330.5, '2026-12-01', 'C0001');

INSERT INTO VE_SALDOAPLICACION (SALDO, TCO_ORIGEN, SUCURSAL_ORIGEN, NUMERO_ORIGEN, LETRA_ORIGEN,
                                CUENTA) VALUES
    (0, 'FC', '0002', '00000101', 'A', 'C0001'),
    (120.25, 'ND', '0002', '00000007', 'A', 'C0001');

INSERT INTO MV_ASIENTOS (TC, SUCURSAL, NUMERO, LETRA, FECHA, Cuenta, Importe, Detalle, CABIMPORTE,
                         FECHASUBDIARIO) VALUES
    ('ND', '0002', '00000007', 'A', '2026-10-01', 'C0001', 250.5, 'Nota de débito', 250.5,
     '2026-10-05');

INSERT INTO MV_ASIENTOS (TC, SUCURSAL, NUMERO, LETRA, FECHA, Cuenta, Importe, Detalle, ChPropio,
                         NROCOMPROBANTEBANCARIO, tj_observaciones, IdBanco, Vencimiento,
                         TJ_NroCupon, TJ_NroSocio, TJ_cuotas) VALUES
    ('CB', '0001', '00000010', 'X', '2026-12-01', '1.1.01', 300, '  ', NULL, NULL, NULL, NULL,
     NULL, NULL, NULL, NULL),
    ('CB', '0001', '00000010', 'X', '2026-12-01', '1.1.03', 400, ' Cobranza de diciembre ', NULL,
     'ch-12345', ' 20-12345678-9 ', '011', '2026-12-30', NULL, NULL, NULL),
    ('CB', '0001', '00000010', 'X', '2026-12-01', '1.1.06', 25, 'Retención', NULL, NULL, NULL,
     NULL, NULL, NULL, NULL, NULL),
    ('CB', '0001', '00000010', 'X', '2026-12-01', 'C0001', -1330.5, NULL, NULL, NULL, NULL, NULL,
     NULL, NULL, NULL, NULL),
    ('CB', '0001', '00000010', 'X', '2026-12-01', '1.1.05', 250.5, NULL, NULL, NULL, NULL, NULL,
     NULL, 'a-778', '4509 1234', 3),
    ('CB', '0001', '00000010', 'X', '2026-12-01', '1.1.09', 12.5, NULL, NULL, NULL, NULL, NULL,
     NULL, NULL, NULL, NULL),
    ('CB', '0001', '00000010', 'X', '2026-12-01', '1.1.02', 200, NULL, 1, 'b-1', 'sin CUIT',
     '999', NULL, NULL, NULL, NULL),
    ('CB', '0001', '00000010', 'X', '2026-12-01', '4.1.01', 10, NULL, NULL, NULL, NULL, NULL,
     NULL, NULL, NULL, NULL),
    ('CB', '0001', '00000010', 'X', '2026-12-01', '1.1.10', 5, NULL, NULL, NULL, NULL, NULL,
     NULL, NULL, NULL, NULL),
    ('CB', '0001', '00000010', 'X', '2026-12-01', '1.1.04', 30, NULL, NULL, NULL, NULL, NULL,
     NULL, NULL, NULL, NULL);

-- Payment order OPG 0003-00000020X of supplier P0001: three purchase invoices, three entry
-- lines, one supplier credit note.
INSERT INTO MV_APLICACION (TC, IDCOMPROBANTE, Sucursal, Numero, letra, SUCURSAL_ORIGEN,
                           NUMERO_ORIGEN, LETRA_ORIGEN, TCO_ORIGEN, IDCOMPROBANTE_ORIGEN, IMPORTE,
                           TC_PRINT, IDCOMPROBANTE_PRINT, CUENTA) VALUES
    ('OPG', '000300000020X', '0003', '00000020', 'X', '0005', '00001234', 'A', 'FP',
     '000500001234A', 420, 'OPG', '000300000020X', 'P0001'),
    ('NCC', '000500000099A', '0005', '00000099', 'A', '0005', '00001234', 'A', 'FP',
     '000500001234A', 80, 'OPG', '000300000020X', 'P0001'),
    ('OPG', '000300000020X', '0003', '00000020', 'X', '0005', '00001240', 'A', 'FP',
     '000500001240A', 300, 'OPG', '000300000020X', 'P0001'),
    ('OPG', '000300000020X', '0003', '00000020', 'X', '0005', '00001250', 'A', 'FP',
     '000500001250A', 120, 'OPG', '000300000020X', 'P0001');

INSERT INTO C_MV_CPTE (TC, IDCOMPROBANTE, FECHA, IMPORTE, CUENTA) VALUES
    ('FP', '000500001234A', '2026-11-20', 500, 'P0001'),
    ('FP', '000500001240A', '2026-11-22', 300, 'P0002'),
    ('FP', '000500001250A', '2026-11-28', 120, 'P0001');

INSERT INTO VE_SALDOAPLICACION (SALDO, TCO_ORIGEN, SUCURSAL_ORIGEN, NUMERO_ORIGEN, LETRA_ORIGEN,
                                CUENTA) VALUES
    (0, 'FP', '0005', '00001234', 'A', 'P0001'),
    (35.5, 'FP', '0005', '00001250', 'A', 'P0001'),
    (999, 'FP', '0005', '00001250', 'A', 'P0002');

INSERT INTO MV_ASIENTOS (TC, SUCURSAL, NUMERO, LETRA, FECHA, Cuenta, Importe, Detalle) VALUES
    ('FP', '0005', '00001240', 'A', '2026-11-22', 'P0001', 300, 'Factura de compra'),
    ('OPG', '0003', '00000020', 'X', '2026-12-02', 'P0001', -840, 'Pago a proveedor'),
    ('OPG', '0003', '00000020', 'X', '2026-12-02', '1.1.01', 800, 'Pago en efectivo'),
    ('OPG', '0003', '00000020', 'X', '2026-12-02', '1.1.07', 40, NULL);

-- Receipt CB 0001-00000030X: one applied invoice and no entry; its retentions come from the
-- voucher's own record.
INSERT INTO MV_APLICACION (TC, IDCOMPROBANTE, Sucursal, Numero, letra, SUCURSAL_ORIGEN,
                           NUMERO_ORIGEN, LETRA_ORIGEN, TCO_ORIGEN, IDCOMPROBANTE_ORIGEN, IMPORTE,
                           TC_PRINT, IDCOMPROBANTE_PRINT, CUENTA) VALUES
    ('CB', '000100000030X', '0001', '00000030', 'X', '0002', '00000110', 'A', 'FC',
     '000200000110A', 79, 'CB', '000100000030X', 'C0001');

INSERT INTO V_MV_CPTE (TC, IDCOMPROBANTE, Importe, fecha, CUENTA, RetGan_Importe, RetIVA_importe,
                       RETIBR_Importe, ImpDescuento1, retsuss_importe) VALUES
    ('FC', '000200000110A', 100, '2026-11-30', 'C0001', NULL, NULL, NULL, NULL, NULL),
    ('CB', '000100000030X', 79, '2026-12-03', 'C0001', 10, 5, 3, 2, 1);
