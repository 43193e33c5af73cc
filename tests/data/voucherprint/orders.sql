-- Orders of the kitchen ticket tests: a table's order with items for the kitchen ("C"), the
-- bar ("B"), both, none, an article that is missing, a weighed one, and an order without items.

INSERT INTO V_TA_VENDEDORES (IDVENDEDOR, NOMBRE) VALUES
('V1', 'Juan Carlos Dominguez Perez'),
('V2', 'Lía');

INSERT INTO V_MV_CPTE (TC, IDCOMPROBANTE, IDCOMPLEMENTO, Importe, transporte, IdVendedor, Nombre)
VALUES
('PE', '000100000001X', 0, 12345.675, ' 12 ', 'V1', ' Familia Gómez '),
('PE', '000100000002X', 0, NULL, NULL, NULL, NULL),
('PE', '00010000''003X', 0, 7.5, '3', ' V2 ', 'O''Neil');

INSERT INTO V_MA_ARTICULOS (IDARTICULO, DESCRIPCION, Pesable, talledefault) VALUES
('MILA', 'Milanesa napolitana', 0, 'C'),
('BIRRA', 'Cerveza tirada', 0, 'b'),
('ENS27', 'Ensalada mixta', 0, 'c'),
('ENS28', 'Ensalada', 0, 'C'),
('PARRI', 'Parrillada', 0, 'C'),
('FLAN', 'Flan casero', NULL, 'CB'),
('QUESO', 'Queso por kilo', 1, 'C'),
('CAFE', 'Cafe', 0, 'B');

-- MISSING has no article row. Item amounts: 0.125 and 0.135 round to the even cent.
INSERT INTO V_MV_CPTEINSUMOS (TC, IdComprobante, IDCOMPLEMENTO, IdArticulo, Descripcion,
    Cantidad, Importe, Importe_S_IVA, Cantidadpreparada, CANTIDADAFACTURAR) VALUES
('PE', '000100000001X', 0, 'MILA', 'Milanesa napolitana', 2, 1500, 1239.67, 1, 2),
('PE', '000100000001X', 0, 'BIRRA', 'Cerveza tirada', 3, 1.5, 1.24, 0, 1),
('PE', '000100000001X', 0, 'ENS27', 'Ensalada mixta de la huerta', 1, 0.125, 0.1, 0, 0),
('PE', '000100000001X', 0, 'ENS28', 'Ensalada mixta de la huertas', 1, 0.135, 0.11, 0, 1),
('PE', '000100000001X', 0, 'PARRI',
    'Parrillada completa para dos personas con achuras, chorizo, morcilla, vacio, entrana y '
    + 'guarnicion',
    1, 9000, 7438.02, 0, 0),
('PE', '000100000001X', 0, 'FLAN', 'Flan casero', 4, 800, 661.16, 1, 2),
('PE', '000100000001X', 0, 'MISSING', 'Sin articulo', 1, 10, 8.26, 0, 0),
('PE', '000100000001X', 0, 'MILA', 'Milanesa devuelta', 1, 1500, 1239.67, 2, 1),
('PE', '000100000001X', 0, 'MILA', 'Milanesa sin preparar', 1, 1500, 1239.67, NULL, NULL),
('PE', '000100000001X', 0, 'QUESO', 'Queso por kilo', 0.35, 2000, 1652.89, 0.1, 0),
('PE', '000100000001X', 0, 'CAFE', 'Cafe', 2, 1200, 991.74, 0, 2),
('PE', '00010000''003X', 0, 'CAFE', 'Cafe', 5, 1.5, 1.24, 0, 0);
