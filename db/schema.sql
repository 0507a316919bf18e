-- The client tables of the host database, one text for SQLite, Firebird and PostgreSQL.
-- Statements end with ";" at the end of a line. A statement after a line "-- only: firebird",
-- "-- only: postgres" or "-- only: sqlite" is run on that database alone. Keys are VARCHAR throughout: codes are text
-- in this system (leading zeros matter), and BAIRROMUNI joins the neighbourhood code (up to 7)
-- and the 7-digit municipality code into at most 14 characters.

-- Names sort as a Portuguese reader expects ("Álvaro" beside "Alvaro", before "Beatriz"; case and
-- accents only break ties): ICU's pt_BR collation at tertiary strength. The host registers the same
-- ICU collator on its SQLite connections under this name, so both databases order alike; the
-- name columns below carry it, so every ORDER BY on them (the lookups' fixed ones among them) gets it.
-- only: firebird
CREATE COLLATION PTBR FOR UTF8 FROM UNICODE 'LOCALE=pt_BR';

-- ICU's defaults are tertiary strength, lower case first: the order of the SQLite collator.
-- only: postgres
CREATE COLLATION IF NOT EXISTS PTBR (provider = icu, locale = 'pt-BR');

CREATE TABLE PAIS (
    CDPAIS       VARCHAR(4)  NOT NULL,
    NMPAIS       VARCHAR(30) NOT NULL COLLATE PTBR,
    CONSTRAINT PK_PAIS PRIMARY KEY (CDPAIS)
);

CREATE TABLE ESTADO (
    CDPAIS       VARCHAR(4)  NOT NULL,
    SGESTADO     VARCHAR(2)  NOT NULL,
    NMESTADO     VARCHAR(30) NOT NULL COLLATE PTBR,
    CONSTRAINT PK_ESTADO PRIMARY KEY (CDPAIS, SGESTADO)
);

CREATE TABLE MUNICIPIO (
    CDPAIS       VARCHAR(4)  NOT NULL,
    SGESTADO     VARCHAR(2)  NOT NULL,
    CDMUNICIPIO  VARCHAR(7)  NOT NULL,
    NMMUNICIPIO  VARCHAR(30) NOT NULL COLLATE PTBR,
    CONSTRAINT PK_MUNICIPIO PRIMARY KEY (CDPAIS, SGESTADO, CDMUNICIPIO)
);

-- No foreign key to MUNICIPIO: neighbourhoods are imported from the postal tables and may name a
-- municipality that is not registered yet.
CREATE TABLE BAIRRO (
    CDPAIS       VARCHAR(4)  NOT NULL,
    SGESTADO     VARCHAR(2)  NOT NULL,
    CDMUNICIPIO  VARCHAR(7)  NOT NULL,
    CDBAIRRO     VARCHAR(7)  NOT NULL,
    NMBAIRRO     VARCHAR(50) NOT NULL COLLATE PTBR,
    CONSTRAINT PK_BAIRRO PRIMARY KEY (CDPAIS, SGESTADO, CDMUNICIPIO, CDBAIRRO)
);

CREATE TABLE ATIVCLIENTE (
    CDATIVCLI    VARCHAR(10) NOT NULL,
    CDARVATIVCLI VARCHAR(20),
    DSATIVCLI    VARCHAR(50) NOT NULL COLLATE PTBR,
    CONSTRAINT PK_ATIVCLIENTE PRIMARY KEY (CDATIVCLI)
);

CREATE TABLE FILIAL (
    CDFILIAL     VARCHAR(10) NOT NULL,
    NMFILIAL     VARCHAR(50) NOT NULL COLLATE PTBR,
    CONSTRAINT PK_FILIAL PRIMARY KEY (CDFILIAL)
);

-- IDTPIJURCLIE: 'F' pessoa física, 'J' pessoa jurídica, 'O' outros.
-- IDTPORCAEVEN: origin of the business, 'O' orçamento, 'E' encomenda.
CREATE TABLE CLIENTE (
    CDCLIENTE    VARCHAR(21) NOT NULL,
    IDTPIJURCLIE VARCHAR(1)  NOT NULL,
    NRINSJURCLIE VARCHAR(20),
    NMFANTCLIE   VARCHAR(50) COLLATE PTBR,
    NMRAZSOCCLIE VARCHAR(50) NOT NULL COLLATE PTBR,
    DTNASCCLIE   DATE,
    CDATIVCLI    VARCHAR(10),
    CDFILIAL     VARCHAR(10) NOT NULL,
    IDTPORCAEVEN VARCHAR(1)  NOT NULL,
    CONSTRAINT PK_CLIENTE PRIMARY KEY (CDCLIENTE)
);

CREATE INDEX IX_CLIENTE_NRINS ON CLIENTE (NRINSJURCLIE);
CREATE INDEX IX_CLIENTE_ATIV ON CLIENTE (CDATIVCLI);

-- IDTPENDECLIE: 'P' principal, 'C' cobrança, 'E' entrega.
CREATE TABLE ENDECLIE (
    CDCLIENTE    VARCHAR(21) NOT NULL,
    NRSEQENDECLIE INTEGER    NOT NULL,
    IDTPENDECLIE VARCHAR(1)  NOT NULL,
    DSENDECLIE   VARCHAR(50) COLLATE PTBR,
    CDPAIS       VARCHAR(4),
    SGESTADO     VARCHAR(2),
    CDMUNICIPIO  VARCHAR(7),
    CDBAIRRO     VARCHAR(7),
    CONSTRAINT PK_ENDECLIE PRIMARY KEY (CDCLIENTE, NRSEQENDECLIE)
);

CREATE INDEX IX_ENDECLIE_MUNI ON ENDECLIE (CDPAIS, SGESTADO, CDMUNICIPIO);

-- The key table of list parameters. SQLite creates it as a TEMP table on first use, PostgreSQL as
-- each connection opens.
-- only: firebird
CREATE GLOBAL TEMPORARY TABLE SELKEYS (
    PARAM        VARCHAR(20),
    KEYVALUE     VARCHAR(60)
) ON COMMIT DELETE ROWS;

-- only: firebird
CREATE INDEX IX_SELKEYS ON SELKEYS (PARAM, KEYVALUE);
