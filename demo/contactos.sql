-- Demo database of the contacts editor (SQLite). Made by scripts/run when it is missing:
--   sqlite3 build/demo.db < demo/contactos.sql
PRAGMA journal_mode = DELETE;
BEGIN;

CREATE TABLE MA_contactos (
    id INTEGER PRIMARY KEY,
    Nombre_y_Apellido varchar(50),
    Domicilio varchar(60),
    Localidad varchar(40),
    Telefono varchar(25),
    Email varchar(80),
    Observaciones varchar(300),
    Notas text,
    FechaAlta date,
    Saldo money,
    Credito numeric(12,2),
    Activo bit
);

CREATE TEMP TABLE nombres (n INTEGER PRIMARY KEY, v TEXT);
INSERT INTO nombres (v) VALUES ('José'), ('María'), ('Íñigo'), ('Ana'), ('Begoña'), ('Martín'),
    ('Lucía'), ('Ramón'), ('Sofía'), ('Joaquín'), ('Inés'), ('Agustín'), ('Carmen'), ('Tomás'),
    ('Valentina'), ('Germán'), ('Rocío'), ('Andrés'), ('Mónica'), ('Sebastián');
CREATE TEMP TABLE apellidos (n INTEGER PRIMARY KEY, v TEXT);
INSERT INTO apellidos (v) VALUES ('Muñoz'), ('Peña'), ('Ibáñez'), ('González'), ('Pérez'),
    ('Fernández'), ('Núñez'), ('Castañeda'), ('Domínguez'), ('Gómez'), ('Martínez'), ('López'),
    ('Sánchez'), ('Ordóñez'), ('Rodríguez'), ('Díaz'), ('Álvarez'), ('Ruiz'), ('Quiñones'),
    ('Suárez'), ('Benítez'), ('Acuña'), ('Ferrán'), ('Echeverría'), ('Saldaña');
CREATE TEMP TABLE calles (n INTEGER PRIMARY KEY, v TEXT);
INSERT INTO calles (v) VALUES ('Av. Rivadavia'), ('Calle Mayor'), ('San Martín'), ('Belgrano'),
    ('Av. de Mayo'), ('Pasaje Güemes'), ('Calle del Olmo'), ('Av. Corrientes'), ('Moreno'),
    ('Camino Real'), ('Mitre'), ('Sarmiento'), ('Av. España'), ('La Rioja'), ('Entre Ríos');
CREATE TEMP TABLE localidades (n INTEGER PRIMARY KEY, v TEXT);
INSERT INTO localidades (v) VALUES ('Córdoba'), ('Rosario'), ('Mendoza'), ('San Miguel de Tucumán'),
    ('La Plata'), ('Mar del Plata'), ('Salta'), ('Neuquén'), ('Bahía Blanca'), ('Paraná'),
    ('Posadas'), ('Río Cuarto'), ('Villa María'), ('Ushuaia');

-- bench/ makes its databases from this script with another count in the next line.
WITH RECURSIVE seq(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM seq WHERE i < 320)
INSERT INTO MA_contactos (id, Nombre_y_Apellido, Domicilio, Localidad, Telefono, Email,
                          Observaciones, Notas, FechaAlta, Saldo, Credito, Activo)
SELECT i,
       (SELECT v FROM nombres WHERE n = 1 + (i * 7) % 20) || ' ' ||
       (SELECT v FROM apellidos WHERE n = 1 + (i * 11) % 25),
       (SELECT v FROM calles WHERE n = 1 + (i * 5) % 15) || ' ' || (100 + (i * 37) % 3900),
       CASE WHEN i % 29 = 0 THEN NULL ELSE (SELECT v FROM localidades WHERE n = 1 + (i * 3) % 14) END,
       CASE WHEN i % 17 = 0 THEN '' ELSE '0' || (351 + i % 9) || '-4' || printf('%06d', (i * 7919) % 1000000) END,
       CASE WHEN i % 13 = 0 THEN NULL
            ELSE lower(replace(replace(replace(replace(replace(replace(
                 (SELECT v FROM nombres WHERE n = 1 + (i * 7) % 20), 'é', 'e'), 'í', 'i'), 'á', 'a'),
                 'ó', 'o'), 'ú', 'u'), 'Í', 'i')) || i || '@correo.com.ar' END,
       CASE WHEN i % 4 = 0 THEN 'Cliente desde hace años; atiende por la mañana. Prefiere que lo '
                              || 'llamen después de las 10 y antes de las 13, salvo los viernes, '
                              || 'en que no atiende. Pidió factura con el domicilio fiscal nuevo.'
            WHEN i % 4 = 1 THEN NULL ELSE '' END,
       CASE WHEN i % 10 = 0 THEN 'Notas largas del contacto ' || i || ': ' || printf('%.*c', 200, '-') ELSE NULL END,
       CASE WHEN i % 23 = 0 THEN NULL ELSE date('2005-04-03', '+' || ((i * 53) % 6000) || ' days') END,
       CASE WHEN i % 19 = 0 THEN NULL ELSE ((i * 7331) % 2000000) / 100.0 - 3000 END,
       ((i * 131) % 50000) / 100.0,
       CASE WHEN i % 7 = 0 THEN 0 ELSE 1 END
FROM seq;
-- A few rows that are worth looking at.
UPDATE MA_contactos SET Nombre_y_Apellido = 'Patricio O''Connor', Localidad = 'Córdoba' WHERE id = 5;
UPDATE MA_contactos SET Nombre_y_Apellido = 'Ñandú & Cía. <Importaciones>' WHERE id = 6;
UPDATE MA_contactos SET Nombre_y_Apellido = NULL, Telefono = NULL WHERE id = 7;
UPDATE MA_contactos SET Nombre_y_Apellido = 'Álvaro "el Tano" Peña' WHERE id = 8;
UPDATE MA_contactos SET FechaAlta = '2005-04-03' WHERE id IN (9, 10);

CREATE TABLE ta_usuarios (nombre varchar(30) PRIMARY KEY, Administrador int, UNegocio varchar(4));
INSERT INTO ta_usuarios VALUES ('admin', 1, '0001'), ('operador', 0, NULL), ('juan', 0, '  2');

CREATE TABLE ta_configuracion (CLAVE varchar(60) PRIMARY KEY, VALOR varchar(255), valoraux varchar(255));
INSERT INTO ta_configuracion VALUES
    ('MostrarStockenConsultas', 'SI', NULL),
    ('TituloClientes', ' Clientes ', NULL),
    ('TituloProveedores', 'Proveedores', NULL),
    ('UsaConsultaLike', 'NO', NULL),
    ('UsaConsultaLIKE', 'NO', NULL),
    ('CantidadDecimales', '2', NULL),
    ('PERIODO', '2026', NULL),
    ('CFondo', '0', NULL),
    ('CLetra', '0', NULL),
    ('ModuloOrdenDeTrabajo', 'SI', NULL),
    ('MaxDto', '15,5', NULL),
    ('TopConsArt', '500', NULL),
    ('Stk_Nivel1', '32768', NULL),
    ('Stk_Nivel2', '16711680', NULL),
    ('Stk_Nivel3', '255', NULL),
    ('Stk_Nivel4', '8421504', NULL),
    ('NOM_PCLASE1', 'Lista', NULL), ('NOM_PCLASE2', 'Mayorista', NULL), ('NOM_PCLASE3', 'Distribuidor', NULL),
    ('NOM_PCLASE4', 'Especial', NULL), ('NOM_PCLASE5', 'Contado', NULL), ('NOM_PCLASE6', 'Tarjeta', NULL),
    ('NOM_PCLASE7', 'Exportación', NULL), ('NOM_PCLASE8', 'Oferta', NULL);

CREATE TABLE MA_ARTICULOS (
    IDARTICULO varchar(25) PRIMARY KEY, DESCRIPCION varchar(60), IDRUBRO int, PUNTOPEDIDO numeric(12,2),
    Stock numeric(12,2), PRECIO1 money, PRECIO2 money, PRECIO3 money, PRECIO4 money, PRECIO5 money,
    PRECIO6 money, PRECIO7 money, PRECIO8 money, SUSPENDIDO int);
INSERT INTO MA_ARTICULOS VALUES
    ('A001', 'Tornillo hexagonal 1/4"', 1, 0, 150, 10, 9, 8.5, 8, 7.5, 7, 6.5, 6, 0),
    ('A002', 'Tuerca mariposa', 1, 10, 25, 5, 4.8, 4.6, 4.4, 4.2, 4, 3.8, 3.6, 0),
    ('A003', 'Arandela plana', 1, 10, 3, 1, 0.9, 0.85, 0.8, 0.75, 0.7, 0.65, 0.6, 0),
    ('A004', 'Llave inglesa 12"', 2, 0, 0, 950, 900, 880, 860, 840, 820, 800, 780, 0),
    ('A005', 'Destornillador Phillips', 2, 10, 10, 320, 310, 300, 290, 280, 270, 260, 250, 0),
    ('A006', 'Martillo de carpintero', 2, 5, NULL, 780, 760, 740, 720, 700, 680, 660, 640, 0),
    ('A007', 'Cinta métrica 5 m', 3, 0, 42, 450, 440, 430, 420, 410, 400, 390, 380, 0),
    ('A008', 'Nivel de burbuja', 3, 8, 2, 1200, 1180, 1160, 1140, 1120, 1100, 1080, 1060, 0),
    ('A009', 'Pinza pico de loro (discontinuada)', 2, 0, 7, 610, 600, 590, 580, 570, 560, 550, 540, 1),
    ('A010', 'Sierra de arco', 2, 4, 9, 1350, 1330, 1310, 1290, 1270, 1250, 1230, 1210, 0);
CREATE VIEW V_MA_ARTICULOS AS SELECT * FROM MA_ARTICULOS;
CREATE VIEW VT_MA_ARTICULOS AS SELECT * FROM MA_ARTICULOS;
CREATE VIEW STK_MA_ARTICULOS AS SELECT * FROM MA_ARTICULOS;

CREATE TABLE VT_CLIENTES (CODIGO varchar(10) PRIMARY KEY, RAZON_SOCIAL varchar(60), CONTACTO varchar(50), Dada_De_Baja int);
INSERT INTO VT_CLIENTES VALUES ('C001', 'Ferretería El Tornillo S.R.L.', 'José Muñoz', 0),
    ('C002', 'Corralón Las Peñas', 'María Ibáñez', 0), ('C003', 'Construcciones Núñez S.A.', 'Íñigo Núñez', 1),
    ('C004', 'Maderera del Sur', 'Ana Domínguez', 0);
CREATE TABLE VT_PROVEEDORES (CODIGO varchar(10) PRIMARY KEY, RAZON_SOCIAL varchar(60), Dada_De_Baja int);
INSERT INTO VT_PROVEEDORES VALUES ('P001', 'Bulonera Argentina S.A.', 0), ('P002', 'Herramientas Peña', 0),
    ('P003', 'Importadora Acuña (baja)', 1);
CREATE TABLE V_TA_VENDEDORES (IDVENDEDOR int PRIMARY KEY, NOMBRE varchar(50));
INSERT INTO V_TA_VENDEDORES VALUES (1, 'Martín Gómez'), (2, 'Lucía Fernández'), (3, 'Ramón Castañeda');
CREATE TABLE V_TA_TECNICOS (IDTECNICO int PRIMARY KEY, NOMBRE varchar(50));
INSERT INTO V_TA_TECNICOS VALUES (1, 'Tomás Benítez'), (2, 'Inés Suárez');
CREATE TABLE V_MA_MANTENIMIENTOS (CODIGO varchar(10) PRIMARY KEY, DESCRIPCION varchar(60));
INSERT INTO V_MA_MANTENIMIENTOS VALUES ('M01', 'Service de compresores'), ('M02', 'Cambio de filtros'),
    ('M03', 'Revisión eléctrica anual');
CREATE TABLE V_TA_FAMILIAS (IDFAMILIA varchar(10) PRIMARY KEY, DESCRIPCION varchar(60));
INSERT INTO V_TA_FAMILIAS VALUES ('01', 'Bulonería'), ('0101', 'Tornillos'), ('010101', 'Tornillos de cabeza hexagonal'),
    ('0102', 'Tuercas'), ('02', 'Herramientas de mano'), ('0201', 'Llaves'), ('0202', 'Martillos'),
    ('03', 'Medición'), ('0301', 'Cintas métricas');
CREATE VIEW SS_V_TA_FAMILIAS AS SELECT * FROM V_TA_FAMILIAS;
CREATE TABLE MA_POSICIONES (IDPOSICION varchar(10) PRIMARY KEY, DESCRIPCION varchar(60));
INSERT INTO MA_POSICIONES VALUES ('1', 'Depósito central'), ('11', 'Estantería A'), ('12', 'Estantería B'),
    ('2', 'Salón de ventas');
CREATE TABLE TA_CCOSTO (CODIGO varchar(10) PRIMARY KEY, DESCRIPCION varchar(60));
INSERT INTO TA_CCOSTO VALUES ('1', 'Administración'), ('2', 'Ventas'), ('21', 'Ventas mostrador'), ('3', 'Taller');
CREATE TABLE V_MV_FALTANTES (id INTEGER PRIMARY KEY, FechaHora varchar(30), IdArticulo varchar(25),
                             Descripcion varchar(60), Usuario varchar(30));

COMMIT;
