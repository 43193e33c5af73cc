-- A purchase invoice for the voucher form tests, on top of tests/data/voucherdata/vouchers.sql:
-- two supply lines (one with lots and serials, one with a dispatch note) and its observations,
-- and the supplier's account in the purchase view.

INSERT INTO V_MV_CPTE (TC, IDCOMPROBANTE, IDCOMPLEMENTO, CodCpteAfip, Moneda, Importe, fecha,
    documentotipo, DOCUMENTONUMERO, ComprobanteOrigen, TcOrigen, condicionIVA) VALUES
('FCC', '000200000777A', 0, 1, '1', 363, '2024-03-05', '80', '20-12345678-9', NULL, NULL, '1');

INSERT INTO V_MV_CPTE_ELECTRONICOS (TC, IDCOMPROBANTE, fecha_CPTE, CAE) VALUES
('FCC', '000200000777A', '2024-03-05', '74999888777666');

INSERT INTO V_MV_CPTEINSUMOS (TC, IdComprobante, IDCOMPLEMENTO, IdArticulo, Descripcion, idUnidad,
    Cantidad, Importe, Total, Importe_S_IVA, AlicIVA, Nro_Lote, Nro_Serie, PorcDto, Impuestos,
    ControladoPor, CantidadUd, IdUnidadBase, Equiv_UDBase, CANTIDAD_ORIGEN, Ud_Pr, Importe_Ud)
VALUES
('FCC', '000200000777A', 0, 'A1', 'Tornillo 3/4', 'UN', 10, 12.1, 121, 10, 21, 'L1|L2|L3',
    '5|0|2', 0, 0, NULL, 10, 'UN', 1, NULL, NULL, NULL),
('FCC', '000200000777A', 0, 'B2', 'Caño galvanizado', 'MT', 2, 121, 242, 100, 21, 'D7', '', 0, 0,
    '1', 2, 'MT', 1, NULL, NULL, NULL);

INSERT INTO V_MV_CPTE_OBSERV (TC, IdComprobante, IDCOMPLEMENTO, Tipo_Obs, Observacion, Importe,
    Importe_S_IVA, fechavj, NroViaje) VALUES
('FCC', '000200000777A', 0, 'EN', 'Recibido en el depósito central', NULL, NULL, NULL, NULL),
('FCC', '000200000777A', 0, 'PP', 'Conformada por compras', NULL, NULL, NULL, NULL);

INSERT INTO C_MV_CPTE (TC, IDCOMPROBANTE, FECHA, IMPORTE, CUENTA) VALUES
('FCC', '000200000777A', '2024-03-05', 363, 'P0777');
