-- The client recognises these constraint names when it validates fields
-- and maps each to its own check and message, so the names are part of the
-- interface and must not change.

-- Warehouse symbols: ASCII letters, digits and underscore only. Spelled out
-- as a bracket range on purpose: \w would follow the database locale and let
-- Polish letters through, which the client's own check refuses.
CREATE DOMAIN d_symbol_alnum_6 AS varchar(20)
    CONSTRAINT c_check_d_symbol_alnum_6 CHECK (VALUE ~ '^[A-Za-z0-9_]+$');

-- Repair (0) or inspection (1).
CREATE DOMAIN d_np_typ AS integer
    CONSTRAINT c_check_d_np_typ CHECK (VALUE IN (0, 1));

-- The same, never empty. The not-null rule sits inside the named check so
-- that the domain carries exactly one constraint on every server version;
-- columns of this domain are declared NOT NULL as well, which is what the
-- catalogue reports as their nullability.
CREATE DOMAIN d_np_typ_nn AS integer
    CONSTRAINT c_check_d_np_typ_nn CHECK (VALUE IS NOT NULL AND VALUE IN (0, 1));
