-- Vouchers of the voucher work-table tests. Voucher types are stored right-aligned in four
-- characters, as the utility library's Rellena writes them.

INSERT INTO V_MV_CPTE (TC, IDCOMPROBANTE, IDCOMPLEMENTO, CodCpteAfip, Moneda, Importe, fecha,
    documentotipo, DOCUMENTONUMERO, ComprobanteOrigen, TcOrigen, condicionIVA) VALUES
('FC', '000100000123A', 0, 1, '1', 1210.5, '2024-03-05', '80', '20-12345678-9', NULL, NULL, '1'),
('OT', '000100000045X', 0, NULL, NULL, 2420, '2024-03-06', '96', '30111222', NULL, NULL, '5'),
('RM', '000200000010R', 0, NULL, '1', 0, '2024-03-07', '80', '20-12345678-9', '000200000005X', 'NP', '1'),
('FP', '000300000001X', 0, NULL, '1', 484, '2024-03-08', '80', '20-12345678-9', NULL, NULL, '1'),
('NC', '000100000007A', 0, 3, '1', 121, '2024-03-09', '80', '20-12345678-9', NULL, NULL, '1'),
('FC', '000100000200B', 0, 6, '2', 50, '2024-03-05', '80', '20-12345678-9', NULL, NULL, '5'),
('OT', '000100000046X', 0, NULL, '1', 0, '2024-03-10', '96', '30111222', NULL, NULL, '5'),
('FC', '000900000001A', 0, 201, '1', 10, '2024-03-11', '80', '20-12345678-9', NULL, NULL, '1'),
('FC', '000100000124A', 1, 1, '1', 99.99, '2024-03-12', '80', '20-12345678-9', NULL, NULL, '1');

INSERT INTO V_MV_CPTE_ELECTRONICOS (TC, IDCOMPROBANTE, fecha_CPTE, CAE) VALUES
('FC', '000100000123A', '2024-03-05', '74123456789012'),
('FC', '000100000200B', '2024-03-05', '74000000000099');

INSERT INTO TA_MONEDAS (Codigo, Descripcion) VALUES ('   1', 'Pesos'), ('   2', 'Dólares');

INSERT INTO TA_COTIZACION (FECHA_HORA, MONEDA2) VALUES
('2024-03-04 17:00:00', 849),
('2024-03-05 08:00:00', 850.25),
('2024-03-05 17:00:00', 851.5);

-- Observations: header (EN), footer (PP) and other concepts (OC).
INSERT INTO V_MV_CPTE_OBSERV (TC, IdComprobante, IDCOMPLEMENTO, Tipo_Obs, Observacion, Importe,
    Importe_S_IVA, fechavj, NroViaje) VALUES
('FC', '000100000123A', 0, 'EN', 'Cliente O''Brien - entrega en depósito', NULL, NULL, NULL, NULL),
('FC', '000100000123A', 0, 'EN', 'Segunda cabecera, no se usa', NULL, NULL, NULL, NULL),
('FC', '000100000123A', 0, 'PP', 'Gracias por su compra', NULL, NULL, NULL, NULL),
('FC', '000100000123A', 0, 'PP', 'Segundo pie, no se usa', NULL, NULL, NULL, NULL),
('FC', '000100000123A', 0, 'OC', 'Flete a cargo del cliente''s', 121, 100, '2024-03-10', 'V-7'),
('FC', '000100000123A', 0, 'OC', 'Seguro', 0, 0, NULL, NULL),
('OT', '000100000045X', 0, 'EN', 'Orden de trabajo del taller', NULL, NULL, NULL, NULL),
('OT', '000100000045X', 0, 'OC', 'Mano de obra adicional', 500, 413.2231, NULL, NULL),
('FC', '000900000001A', 0, 'OC', 'Unico concepto', 10, 8.2645, NULL, NULL);

-- Supply lines: the vouchers' own and those of the order the delivery note came from.
INSERT INTO V_MV_CPTEINSUMOS (TC, IdComprobante, IDCOMPLEMENTO, IdArticulo, Descripcion, idUnidad,
    Cantidad, Importe, Total, Importe_S_IVA, AlicIVA, Nro_Lote, Nro_Serie, PorcDto, Impuestos,
    ControladoPor, CantidadUd, IdUnidadBase, Equiv_UDBase, CANTIDAD_ORIGEN, Ud_Pr, Importe_Ud)
VALUES
('FC', '000100000123A', 0, 'A1', 'Tornillo 3/4', 'UN', 10, 12.1, 121, 10, 21, 'L1|L2|L3', '5|0|2',
    0, 0, NULL, 10, 'UN', 1, NULL, NULL, NULL),
('FC', '000100000123A', 0, 'B2', 'Caño galvanizado de 1/2'' para instalaciones de agua caliente',
    'MT', 2.5, 100, 250, 82.6446, 21, 'D7', '', 10, 1.5, '1', 2.5, 'MT', 1, 3, NULL, NULL),
('FC', '000100000123A', 0, 'C3', 'Codo', 'UN', 1, 5, 5, 4.1322, 21, 'D7', NULL, 0, 0, NULL, 1,
    'UN', 1, NULL, NULL, NULL),
('FC', '000100000123A', 0, 'D4', 'Arandela', 'UN', 4, 1, 4, 0.8264, 21, 'L9|L1', '0|3', 0, 0,
    NULL, 4, 'UN', 1, NULL, 'CJ', 0.25),
('OT', '000100000045X', 0, 'F1', 'Filtro de aceite', 'UN', 1, 2420, 2420, 2000, 21, NULL, NULL,
    0, 0, NULL, 1, 'UN', 1, NULL, NULL, NULL),
('RM', '000200000010R', 0, 'N1', 'Pintura blanca', 'LT', 4, 0, 0, 0, 0, NULL, NULL, 0, 0, NULL,
    4, 'LT', 1, 10, NULL, NULL),
('NP', '000200000005X', 0, 'N1', 'Pintura blanca', 'LT', 10, 800, 8000, 661.157, 21, NULL, NULL,
    0, 0, NULL, 10, 'LT', 1, NULL, NULL, NULL),
('NP', '000200000005X', 0, 'N2', 'Rodillo', 'UN', 2, 150, 300, 123.9669, 21, NULL, NULL, 0, 0,
    NULL, 2, 'UN', 1, NULL, NULL, NULL),
('NP', '000200000005X', 1, 'N3', 'Pincel de 2''''', 'UN', NULL, 90.5, 181, 74.7934, 21, 'P1|P2',
    '1|1', 5, 0, NULL, 2, 'UN', 1, NULL, NULL, NULL),
('FP', '000300000001X', 0, 'A1', 'Tornillo 3/4', 'UN', 2, 100, 200, 100, 21, NULL, NULL, 0, 0,
    NULL, 2, 'UN', 1, NULL, NULL, NULL),
('FP', '000300000001X', 0, 'B2', 'Caño', 'MT', 1, 121, 121, 100, 21, NULL, NULL, 0, 0, NULL, 1,
    'MT', 1, NULL, NULL, NULL),
('NC', '000100000007A', 0, 'A1', 'Tornillo 3/4', 'UN', 1, 121, 121, 100, 21, 'L1ÿ|L2ÿ|L3',
    '1|0|1', 0, 0, NULL, 1, 'UN', 1, NULL, NULL, NULL);

INSERT INTO VT_V_MV_INSUMOS_NPPENDIENTE (TC, IDCOMPROBANTE, IDARTICULO) VALUES
('NP', '000200000005X', 'N1'),
('NP', '000200000005X', 'N3');

INSERT INTO V_MA_ARTICULOS (IDARTICULO, DESCRIPCION, CodigoArtProveedor) VALUES
('A1', 'Tornillo 3/4', 'PRV-001'),
('B2', 'Caño galvanizado', 'PRV-B2 '),
('D4', 'Arandela', NULL);

INSERT INTO STK_DESPACHOS (NroLote, ControladoPor, Descripcion) VALUES
('D7', 'C', 'China'),
('L1 ', 'A', ' Brasil ');

-- Tasks of the work order, and the daily log of a task of a work order without tasks.
INSERT INTO V_MV_CPTETAREAS (TC, IDCOMPROBANTE, IDCOMPLEMENTO, IDTAREA, Descripcion,
    descripcionadicional, Horas, ValorHora, Total, valorHora_S_Iva) VALUES
('OT', '000100000045X', 0, 'T1 ', 'Cambio de aceite', '  ', 90, 1000, 1500, 826.4463),
('OT', '000100000045X', 0, 'T2', 'Revisión', '{\rtf1 Revisar el filtro d''aire}', 30, 1000, 500,
    826.4463),
('OT', '000100000045X', 0, 'T2', 'Revisión final', '{\rtf1 Sin novedades}', 15, 1000, 250,
    826.4463);

INSERT INTO V_MV_DIARIOS (TC, IDCOMPROBANTE, IDCOMPLEMENTO, IDTAREA, Descripcion, Observaciones,
    Minutos) VALUES
('OT', '000100000046X', 0, 'T9', 'Diagnóstico', NULL, 45),
('OT', '000100000046X', 0, 'T9', 'Prueba de ruta', '{\rtf1 Ruido en la rueda d''auxilio}', 125),
('OT', '000100000046X', 0, 'T8', 'Otra tarea', NULL, 60);
