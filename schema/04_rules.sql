-- Rules the database keeps whatever client writes: a second workstation or
-- a script cannot store what the program's forms would refuse. Each rule
-- carries its message in Polish as the constraint's comment; the client
-- shows it when the database refuses a write.

-- Required texts hold more than blanks and control characters.
CREATE FUNCTION f_tekst_niepusty(t text) RETURNS boolean
LANGUAGE sql IMMUTABLE PARALLEL SAFE AS $$
    SELECT t ~ '[^[:space:][:cntrl:]]'
$$;

DO $$
DECLARE
    r record;
BEGIN
    FOR r IN SELECT * FROM (VALUES
            ('uzytkownicy', 'uzt_login', 'Login'),
            ('uzytkownicy', 'uzt_imie', 'Imię'),
            ('uzytkownicy', 'uzt_nazwisko', 'Nazwisko'),
            ('stan_techniczny_narzedzi', 'stn_nazwa', 'Nazwa'),
            ('magazyny', 'mgz_nazwa', 'Nazwa'),
            ('lokalizacje', 'lkl_nazwa', 'Nazwa'),
            ('miejsca_uzytkowania', 'muz_kod', 'Kod'),
            ('miejsca_uzytkowania', 'muz_nazwa', 'Nazwa'),
            ('pracownicy', 'prc_imie', 'Imię'),
            ('pracownicy', 'prc_nazwisko', 'Nazwisko'),
            ('kategorie_narzedzi', 'ktr_nrz_nazwa', 'Nazwa'),
            ('narzedzia', 'nrz_kod', 'Kod'),
            ('narzedzia', 'nrz_nazwa', 'Nazwa')) AS v(tab, col, label)
    LOOP
        EXECUTE format('ALTER TABLE %I ADD CONSTRAINT %I CHECK (f_tekst_niepusty(%I))',
                       r.tab, 'ck_' || r.tab || '_' || r.col || '_niepuste', r.col);
        EXECUTE format('COMMENT ON CONSTRAINT %I ON %I IS %L',
                       'ck_' || r.tab || '_' || r.col || '_niepuste', r.tab,
                       format('Pole „%s” nie może być puste ani składać się z samych spacji.', r.label));
    END LOOP;
END;
$$;

-- Dates a register can mean: a year typed wrong (or 4713 BC, which reads
-- back as AD) is refused.
DO $$
DECLARE
    r record;
BEGIN
    FOR r IN SELECT * FROM (VALUES
            ('narzedzia', 'nrz_przeglad'),
            ('przesuniecia_mm', 'psnmm_data_wydanie'),
            ('przesuniecia_mm', 'psnmm_data_przyjecie'),
            ('przypisane_narzedzia_pracownikom', 'pnp_data_wydanie'),
            ('przypisane_narzedzia_pracownikom', 'pnp_data_przyjecie'),
            ('naprawy_przeglady', 'np_data_wyd'),
            ('naprawy_przeglady', 'np_data_prz')) AS v(tab, col)
    LOOP
        EXECUTE format('ALTER TABLE %I ADD CONSTRAINT %I CHECK (%I BETWEEN DATE ''1900-01-01'' AND DATE ''2999-12-31'')',
                       r.tab, 'ck_' || r.tab || '_' || r.col || '_zakres', r.col);
        EXECUTE format('COMMENT ON CONSTRAINT %I ON %I IS %L',
                       'ck_' || r.tab || '_' || r.col || '_zakres', r.tab,
                       'Data musi mieścić się w latach 1900–2999.');
    END LOOP;
END;
$$;

-- A value is a number of złoty: not negative, not NaN, not infinite.
COMMENT ON CONSTRAINT ck_narzedzia_wartosc ON narzedzia IS
    'Wartość narzędzia musi być liczbą nieujemną (najwyżej dwa miejsca po przecinku).';

-- The photo is the Base64 text of a JPEG of at most 400 x 300 pixels; even
-- a picture of pure noise at quality 95 stays well below this length.
ALTER TABLE narzedzia ADD CONSTRAINT ck_narzedzia_zdjecie
    CHECK (nrz_zdjecie ~ '^/9j/[A-Za-z0-9+/]*={0,2}$' AND length(nrz_zdjecie) % 4 = 0
           AND length(nrz_zdjecie) <= 600000);
COMMENT ON CONSTRAINT ck_narzedzia_zdjecie ON narzedzia IS
    'Zdjęcie narzędzia musi być obrazem JPEG o rozmiarze najwyżej 400 × 300 pikseli.';

COMMENT ON CONSTRAINT ck_narzedzia_przeglad_miesiace ON narzedzia IS
    'Okres przeglądu narzędzia musi wynosić od 1 do 240 miesięcy.';
COMMENT ON CONSTRAINT ck_kategorie_narzedzi_przeglad_miesiace ON kategorie_narzedzi IS
    'Okres przeglądu kategorii musi wynosić od 1 do 240 miesięcy.';
COMMENT ON CONSTRAINT ck_narzedzia_nie_w_sobie ON narzedzia IS
    'Narzędzie nie może być składnikiem samego siebie.';
COMMENT ON CONSTRAINT ck_uzytkownicy_haslo_sha1 ON uzytkownicy IS
    'Hasło musi być zapisane jako skrót SHA-1 (40 znaków szesnastkowych).';
COMMENT ON CONSTRAINT ck_przesuniecia_mm_inny_magazyn ON przesuniecia_mm IS
    'Magazyn docelowy musi być inny niż magazyn źródłowy.';
COMMENT ON CONSTRAINT ck_przesuniecia_mm_daty ON przesuniecia_mm IS
    'Data przyjęcia nie może być wcześniejsza od daty wydania.';
COMMENT ON CONSTRAINT ck_przypisane_narzedzia_pracownikom_daty ON przypisane_narzedzia_pracownikom IS
    'Data przyjęcia nie może być wcześniejsza od daty wydania.';
COMMENT ON CONSTRAINT ck_naprawy_przeglady_daty ON naprawy_przeglady IS
    'Data przyjęcia nie może być wcześniejsza od daty wydania.';

-- Logins are compared as typed at sign-in, so two that differ only in
-- letter case would confuse everyone: one of them is refused.
CREATE UNIQUE INDEX ux_uzytkownicy_login_lower ON uzytkownicy (lower(uzt_login));

-- A tool cannot be assembled into itself, or into one of its own parts.
CREATE FUNCTION f_narzedzia_bez_cyklu() RETURNS trigger
LANGUAGE plpgsql AS $$
BEGIN
    IF NEW.nrz_fk_nrz IS NULL THEN
        RETURN NEW;
    END IF;
    IF EXISTS (
        WITH RECURSIVE gora(id, glebokosc) AS (
            SELECT NEW.nrz_fk_nrz, 1
            UNION ALL
            SELECT n.nrz_fk_nrz, g.glebokosc + 1
              FROM gora g JOIN narzedzia n ON n.nrz_id = g.id
             WHERE n.nrz_fk_nrz IS NOT NULL AND g.glebokosc < 1000)
        SELECT 1 FROM gora WHERE id = NEW.nrz_id)
    THEN
        RAISE EXCEPTION 'Narzędzie nie może być składnikiem samego siebie ani żadnego ze swoich składników.'
            USING ERRCODE = 'OV001';
    END IF;
    RETURN NEW;
END;
$$;

CREATE TRIGGER t_narzedzia_bez_cyklu
    BEFORE INSERT OR UPDATE OF nrz_fk_nrz ON narzedzia
    FOR EACH ROW EXECUTE FUNCTION f_narzedzia_bez_cyklu();

-- A tool's location is a place in the tool's own warehouse. A tool that
-- moves to another warehouse (a transfer writes only the warehouse) leaves
-- its old location behind.
CREATE FUNCTION f_narzedzia_lokalizacja_magazynu() RETURNS trigger
LANGUAGE plpgsql AS $$
BEGIN
    IF NEW.nrz_fk_lkl IS NULL THEN
        RETURN NEW;
    END IF;
    IF TG_OP = 'UPDATE' AND NEW.nrz_fk_mgz IS DISTINCT FROM OLD.nrz_fk_mgz
       AND NEW.nrz_fk_lkl IS NOT DISTINCT FROM OLD.nrz_fk_lkl THEN
        NEW.nrz_fk_lkl := NULL;
        RETURN NEW;
    END IF;
    IF NOT EXISTS (SELECT 1 FROM lokalizacje
                    WHERE lkl_id = NEW.nrz_fk_lkl AND lkl_fk_mgz = NEW.nrz_fk_mgz) THEN
        RAISE EXCEPTION 'Lokalizacja narzędzia musi należeć do magazynu, w którym narzędzie się znajduje.'
            USING ERRCODE = 'OV002';
    END IF;
    RETURN NEW;
END;
$$;

CREATE TRIGGER t_narzedzia_lokalizacja_magazynu
    BEFORE INSERT OR UPDATE OF nrz_fk_lkl, nrz_fk_mgz ON narzedzia
    FOR EACH ROW EXECUTE FUNCTION f_narzedzia_lokalizacja_magazynu();
COMMENT ON TRIGGER t_narzedzia_lokalizacja_magazynu ON narzedzia IS
    'Lokalizacja narzędzia musi należeć do magazynu, w którym narzędzie się znajduje.';

-- The same rule seen from the location: it cannot move to another
-- warehouse while tools stand in it.
CREATE FUNCTION f_lokalizacje_magazyn_narzedzi() RETURNS trigger
LANGUAGE plpgsql AS $$
BEGIN
    IF EXISTS (SELECT 1 FROM narzedzia WHERE nrz_fk_lkl = NEW.lkl_id AND nrz_fk_mgz <> NEW.lkl_fk_mgz) THEN
        RAISE EXCEPTION 'Lokalizacji, w której są narzędzia, nie można przenieść do innego magazynu.'
            USING ERRCODE = 'OV002';
    END IF;
    RETURN NEW;
END;
$$;

CREATE TRIGGER t_lokalizacje_magazyn_narzedzi
    BEFORE UPDATE OF lkl_fk_mgz ON lokalizacje
    FOR EACH ROW WHEN (NEW.lkl_fk_mgz IS DISTINCT FROM OLD.lkl_fk_mgz)
    EXECUTE FUNCTION f_lokalizacje_magazyn_narzedzi();
