-- The benchmark's contacts table: the demo table's columns and texts at any size, made by the
-- sqlite3 shell with the row count in the parameter @rows:
--   sqlite3 FILE -cmd ".parameter set @rows 100000" < bench/generate.sql
PRAGMA journal_mode = OFF;
PRAGMA synchronous = OFF;
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

WITH RECURSIVE seq(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM seq WHERE i < @rows)
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

COMMIT;
