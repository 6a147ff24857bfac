-- opis: Reguły spójności danych i indeksy sortowania rejestrów
-- Rules the database keeps for every workstation (blank texts, dates,
-- values, photos, letter case of logins, assembly cycles) and the indexes
-- the paged registers sort by. Rows that break a new rule stop the step
-- before anything is changed; they are named with the fix.

-- Required texts hold more than blanks and control characters.
CREATE FUNCTION f_tekst_niepusty(t text) RETURNS boolean
LANGUAGE sql IMMUTABLE PARALLEL SAFE AS $$
    SELECT t ~ '[^[:space:][:cntrl:]]'
$$;

-- What already stands in the tables must pass the new rules.
DO $$
DECLARE
    r record;
BEGIN
    FOR r IN SELECT * FROM (VALUES
            ('uzytkownicy', 'uzt_id', 'uzt_login'), ('uzytkownicy', 'uzt_id', 'uzt_imie'),
            ('uzytkownicy', 'uzt_id', 'uzt_nazwisko'), ('stan_techniczny_narzedzi', 'stn_id', 'stn_nazwa'),
            ('magazyny', 'mgz_id', 'mgz_nazwa'), ('lokalizacje', 'lkl_id', 'lkl_nazwa'),
            ('miejsca_uzytkowania', 'muz_id', 'muz_kod'), ('miejsca_uzytkowania', 'muz_id', 'muz_nazwa'),
            ('pracownicy', 'prc_id', 'prc_imie'), ('pracownicy', 'prc_id', 'prc_nazwisko'),
            ('kategorie_narzedzi', 'ktr_nrz_id', 'ktr_nrz_nazwa'), ('narzedzia', 'nrz_id', 'nrz_kod'),
            ('narzedzia', 'nrz_id', 'nrz_nazwa')) AS v(tab, klucz, kol)
    LOOP
        PERFORM pg_temp.orv_sprawdz(
            format('pole %s.%s jest puste albo ma same spacje', r.tab, r.kol),
            format('SELECT format(''%s %s = %%s: %%L'', %I, %I) FROM %I WHERE NOT f_tekst_niepusty(%I) ORDER BY 1',
                   r.tab, r.klucz, r.klucz, r.kol, r.tab, r.kol),
            format('wpisz treść w programie albo: UPDATE %s SET %s = ''…'' WHERE %s = …;', r.tab, r.kol, r.klucz));
    END LOOP;
    FOR r IN SELECT * FROM (VALUES
            ('narzedzia', 'nrz_id', 'nrz_przeglad'),
            ('przesuniecia_mm', 'psnmm_id', 'psnmm_data_wydanie'),
            ('przesuniecia_mm', 'psnmm_id', 'psnmm_data_przyjecie'),
            ('przypisane_narzedzia_pracownikom', 'pnp_id', 'pnp_data_wydanie'),
            ('przypisane_narzedzia_pracownikom', 'pnp_id', 'pnp_data_przyjecie'),
            ('naprawy_przeglady', 'np_id', 'np_data_wyd'),
            ('naprawy_przeglady', 'np_id', 'np_data_prz')) AS v(tab, klucz, kol)
    LOOP
        PERFORM pg_temp.orv_sprawdz(
            format('data %s.%s spoza lat 1900–2999', r.tab, r.kol),
            format('SELECT format(''%s %s = %%s: %%s'', %I, %I) FROM %I '
                   'WHERE NOT %I BETWEEN DATE ''1900-01-01'' AND DATE ''2999-12-31'' ORDER BY 1',
                   r.tab, r.klucz, r.klucz, r.kol, r.tab, r.kol),
            format('popraw datę: UPDATE %s SET %s = ''RRRR-MM-DD'' WHERE %s = …;', r.tab, r.kol, r.klucz));
    END LOOP;
END;
$$;
SELECT pg_temp.orv_sprawdz('wartość narzędzia nie jest liczbą nieujemną poniżej 10 mld zł',
    $q$SELECT format('narzedzia nrz_id = %s (%s): %s', nrz_id, nrz_kod, nrz_wartosc) FROM narzedzia
        WHERE NOT (nrz_wartosc >= 0 AND nrz_wartosc < 10000000000) ORDER BY nrz_id$q$,
    'popraw wartość: UPDATE narzedzia SET nrz_wartosc = … WHERE nrz_id = …;');
SELECT pg_temp.orv_sprawdz('zdjęcie narzędzia nie jest obrazem JPEG zapisanym w Base64 (najwyżej 600 000 znaków)',
    $q$SELECT format('narzedzia nrz_id = %s (%s)', nrz_id, nrz_kod) FROM narzedzia
        WHERE NOT (nrz_zdjecie ~ '^/9j/[A-Za-z0-9+/]*={0,2}$' AND length(nrz_zdjecie) % 4 = 0
                   AND length(nrz_zdjecie) <= 600000) ORDER BY nrz_id$q$,
    'wczytaj zdjęcie ponownie w programie albo usuń je: UPDATE narzedzia SET nrz_zdjecie = NULL WHERE nrz_id = …;');
SELECT pg_temp.orv_sprawdz('loginy różniące się tylko wielkością liter',
    $q$SELECT string_agg(format('uzytkownicy uzt_id = %s: %s', uzt_id, uzt_login), ', ' ORDER BY uzt_id)
         FROM uzytkownicy GROUP BY lower(uzt_login) HAVING count(*) > 1 ORDER BY 1$q$,
    'nadaj jednemu z nich inny login: UPDATE uzytkownicy SET uzt_login = … WHERE uzt_id = …;');
SELECT pg_temp.orv_odmow_jesli_trzeba();

-- Sorting the big registers by a column: the register reads a page at a
-- time in the order (column, key), so each sortable column of the tools and
-- of the three movements has an index on exactly that; the foreign-key
-- indexes the registers filter by carry the key too.
DROP INDEX ix_narzedzia_fk_mgz;
CREATE INDEX ix_narzedzia_fk_mgz ON narzedzia (nrz_fk_mgz, nrz_id);
DROP INDEX ix_narzedzia_fk_nrz;
CREATE INDEX ix_narzedzia_fk_nrz ON narzedzia (nrz_fk_nrz, nrz_id);
DROP INDEX ix_przesuniecia_mm_fk_nrz;
CREATE INDEX ix_przesuniecia_mm_fk_nrz ON przesuniecia_mm (psnmm_fk_nrz, psnmm_id);
DROP INDEX ix_przesuniecia_mm_fk_mgz_src;
CREATE INDEX ix_przesuniecia_mm_fk_mgz_src ON przesuniecia_mm (psnmm_fk_mgz_src, psnmm_id);
DROP INDEX ix_przesuniecia_mm_fk_mgz_dst;
CREATE INDEX ix_przesuniecia_mm_fk_mgz_dst ON przesuniecia_mm (psnmm_fk_mgz_dst, psnmm_id);
DROP INDEX ix_przypisane_narzedzia_pracownikom_fk_nrz;
CREATE INDEX ix_przypisane_narzedzia_pracownikom_fk_nrz ON przypisane_narzedzia_pracownikom (pnp_fk_nrz, pnp_id);
DROP INDEX ix_przypisane_narzedzia_pracownikom_fk_prc;
CREATE INDEX ix_przypisane_narzedzia_pracownikom_fk_prc ON przypisane_narzedzia_pracownikom (pnp_fk_prc, pnp_id);
DROP INDEX ix_przypisane_narzedzia_pracownikom_fk_muz;
CREATE INDEX ix_przypisane_narzedzia_pracownikom_fk_muz ON przypisane_narzedzia_pracownikom (pnp_fk_muz, pnp_id);
DROP INDEX ix_naprawy_przeglady_fk_nrz;
CREATE INDEX ix_naprawy_przeglady_fk_nrz ON naprawy_przeglady (np_fk_nrz, np_id);
CREATE INDEX ix_narzedzia_sort_kod ON narzedzia (nrz_kod, nrz_id);
CREATE INDEX ix_narzedzia_sort_nazwa ON narzedzia (nrz_nazwa, nrz_id);
CREATE INDEX ix_narzedzia_sort_nr_ewidencyjny ON narzedzia (nrz_nr_ewidencyjny, nrz_id);
CREATE INDEX ix_narzedzia_sort_nr_seryjny ON narzedzia (nrz_nr_seryjny, nrz_id);
CREATE INDEX ix_narzedzia_sort_kod_kreskowy ON narzedzia (nrz_kod_kreskowy, nrz_id);
CREATE INDEX ix_narzedzia_sort_wartosc ON narzedzia (nrz_wartosc, nrz_id);
CREATE INDEX ix_narzedzia_sort_przeglad ON narzedzia (nrz_przeglad, nrz_id);
CREATE INDEX ix_narzedzia_sort_na_stanie ON narzedzia (nrz_przyjete_na_stan, nrz_id);
CREATE INDEX ix_narzedzia_sort_zlikwidowano ON narzedzia (nrz_zlikwidowano, nrz_id);
CREATE INDEX ix_przesuniecia_mm_sort_status ON przesuniecia_mm (psnmm_status, psnmm_id);
CREATE INDEX ix_przesuniecia_mm_sort_data_wydanie ON przesuniecia_mm (psnmm_data_wydanie, psnmm_id);
CREATE INDEX ix_przesuniecia_mm_sort_data_przyjecie ON przesuniecia_mm (psnmm_data_przyjecie, psnmm_id);
CREATE INDEX ix_przypisane_narzedzia_pracownikom_sort_status ON przypisane_narzedzia_pracownikom (pnp_status, pnp_id);
CREATE INDEX ix_przypisane_narzedzia_pracownikom_sort_data_wydanie ON przypisane_narzedzia_pracownikom (pnp_data_wydanie, pnp_id);
CREATE INDEX ix_przypisane_narzedzia_pracownikom_sort_data_przyjecie ON przypisane_narzedzia_pracownikom (pnp_data_przyjecie, pnp_id);
CREATE INDEX ix_naprawy_przeglady_sort_status ON naprawy_przeglady (np_status, np_id);
CREATE INDEX ix_naprawy_przeglady_sort_typ ON naprawy_przeglady (np_typ, np_id);
CREATE INDEX ix_naprawy_przeglady_sort_data_wyd ON naprawy_przeglady (np_data_wyd, np_id);
CREATE INDEX ix_naprawy_przeglady_sort_data_prz ON naprawy_przeglady (np_data_prz, np_id);

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
ALTER TABLE narzedzia DROP CONSTRAINT ck_narzedzia_wartosc;
ALTER TABLE narzedzia ADD CONSTRAINT ck_narzedzia_wartosc
    CHECK (nrz_wartosc >= 0 AND nrz_wartosc < 10000000000);
COMMENT ON CONSTRAINT ck_narzedzia_wartosc ON narzedzia IS
    'Wartość narzędzia musi być liczbą nieujemną (najwyżej dwa miejsca po przecinku).';

-- The photo is the Base64 text of a JPEG of at most 400 x 300 pixels; even
-- a picture of pure noise at quality 95 stays well below this length.
ALTER TABLE narzedzia ADD CONSTRAINT ck_narzedzia_zdjecie
    CHECK (nrz_zdjecie ~ '^/9j/[A-Za-z0-9+/]*={0,2}$' AND length(nrz_zdjecie) % 4 = 0
           AND length(nrz_zdjecie) <= 600000);
COMMENT ON CONSTRAINT ck_narzedzia_zdjecie ON narzedzia IS
    'Zdjęcie narzędzia musi być obrazem JPEG o rozmiarze najwyżej 400 × 300 pikseli.';

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


-- Trigger functions run on their own; nobody needs to call them.
REVOKE EXECUTE ON FUNCTION f_narzedzia_bez_cyklu() FROM PUBLIC;
