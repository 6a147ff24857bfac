-- opis: Reguły ruchów narzędzi, lokalizacje w magazynie narzędzia, okresy przeglądów
-- The database keeps the movements consistent whatever client writes, a
-- tool's location lies in its warehouse, and tools and categories carry
-- inspection intervals. Some databases of release 1.11.1 already hold parts
-- of this, so every change here also applies over itself.
--
-- Nothing here changes a row: a tool whose stock flag disagrees with its
-- movements, or whose location is in another warehouse, stops the step and
-- is named, because only a person can tell which side is true.

SELECT pg_temp.orv_sprawdz('narzędzie nie jest na stanie, a nie ma otwartego ruchu (przesunięcia, wydania pracownikowi, naprawy ani przeglądu)',
    $q$SELECT format('narzedzia nrz_id = %s (%s)', n.nrz_id, n.nrz_kod) FROM narzedzia n
        WHERE NOT n.nrz_przyjete_na_stan
          AND NOT EXISTS (SELECT 1 FROM przesuniecia_mm WHERE psnmm_fk_nrz = n.nrz_id AND NOT psnmm_status)
          AND NOT EXISTS (SELECT 1 FROM przypisane_narzedzia_pracownikom WHERE pnp_fk_nrz = n.nrz_id AND NOT pnp_status)
          AND NOT EXISTS (SELECT 1 FROM naprawy_przeglady WHERE np_fk_nrz = n.nrz_id AND NOT np_status)
        ORDER BY n.nrz_id$q$,
    'przywróć narzędzie na stan: UPDATE narzedzia SET nrz_przyjete_na_stan = true WHERE nrz_id = …; '
    'jeśli naprawdę jest poza magazynem, po uaktualnieniu wydaj je w programie tak, jak wyszło (przesunięcie, pracownik, naprawa lub przegląd)');
SELECT pg_temp.orv_sprawdz('narzędzie jest na stanie, a ma otwarty ruch',
    $q$SELECT format('narzedzia nrz_id = %s (%s): %s', n.nrz_id, n.nrz_kod, r.ruch) FROM narzedzia n
         JOIN (SELECT psnmm_fk_nrz AS nrz, format('przesuniecia_mm psnmm_id = %s', psnmm_id) AS ruch
                 FROM przesuniecia_mm WHERE NOT psnmm_status
               UNION ALL
               SELECT pnp_fk_nrz, format('przypisane_narzedzia_pracownikom pnp_id = %s', pnp_id)
                 FROM przypisane_narzedzia_pracownikom WHERE NOT pnp_status
               UNION ALL
               SELECT np_fk_nrz, format('naprawy_przeglady np_id = %s', np_id)
                 FROM naprawy_przeglady WHERE NOT np_status) r ON r.nrz = n.nrz_id
        WHERE n.nrz_przyjete_na_stan
        ORDER BY n.nrz_id, r.ruch$q$,
    'jeśli narzędzie wróciło, zakończ ruch (ustaw jego status na true z datą i osobą przyjęcia); '
    'jeśli jest poza magazynem: UPDATE narzedzia SET nrz_przyjete_na_stan = false WHERE nrz_id = …;');
SELECT pg_temp.orv_sprawdz('narzędzie ma więcej niż jeden otwarty ruch naraz',
    $q$SELECT format('narzedzia nrz_id = %s (%s): %s otwartych ruchów', n.nrz_id, n.nrz_kod, r.ile) FROM narzedzia n
         JOIN (SELECT nrz, count(*) AS ile FROM (
                   SELECT psnmm_fk_nrz AS nrz FROM przesuniecia_mm WHERE NOT psnmm_status
                   UNION ALL SELECT pnp_fk_nrz FROM przypisane_narzedzia_pracownikom WHERE NOT pnp_status
                   UNION ALL SELECT np_fk_nrz FROM naprawy_przeglady WHERE NOT np_status) o
               GROUP BY nrz HAVING count(*) > 1) r ON r.nrz = n.nrz_id
        ORDER BY n.nrz_id$q$,
    'zakończ wszystkie ruchy tego narzędzia poza tym, który trwa naprawdę');
SELECT pg_temp.orv_sprawdz('lokalizacja narzędzia należy do innego magazynu niż narzędzie',
    $q$SELECT format('narzedzia nrz_id = %s (%s): magazyn %s, lokalizacja %s (%s) w magazynie %s',
                     n.nrz_id, n.nrz_kod, n.nrz_fk_mgz, l.lkl_id, l.lkl_nazwa, l.lkl_fk_mgz)
         FROM narzedzia n JOIN lokalizacje l ON l.lkl_id = n.nrz_fk_lkl
        WHERE l.lkl_fk_mgz <> n.nrz_fk_mgz
        ORDER BY n.nrz_id$q$,
    'wskaż lokalizację w magazynie narzędzia albo ją wyczyść: UPDATE narzedzia SET nrz_fk_lkl = NULL WHERE nrz_id = …;');
SELECT pg_temp.orv_odmow_jesli_trzeba();

-- How often tools go to inspection, in months: a category's interval, and a
-- tool's own before its category's. None when empty.
ALTER TABLE kategorie_narzedzi ADD COLUMN IF NOT EXISTS ktr_nrz_przeglad_miesiace integer;
ALTER TABLE narzedzia ADD COLUMN IF NOT EXISTS nrz_przeglad_miesiace integer;
ALTER TABLE kategorie_narzedzi DROP CONSTRAINT IF EXISTS ck_kategorie_narzedzi_przeglad_miesiace;
ALTER TABLE kategorie_narzedzi ADD CONSTRAINT ck_kategorie_narzedzi_przeglad_miesiace
    CHECK (ktr_nrz_przeglad_miesiace BETWEEN 1 AND 240);
ALTER TABLE narzedzia DROP CONSTRAINT IF EXISTS ck_narzedzia_przeglad_miesiace;
ALTER TABLE narzedzia ADD CONSTRAINT ck_narzedzia_przeglad_miesiace
    CHECK (nrz_przeglad_miesiace BETWEEN 1 AND 240);
COMMENT ON CONSTRAINT ck_narzedzia_przeglad_miesiace ON narzedzia IS
    'Okres przeglądu narzędzia musi wynosić od 1 do 240 miesięcy.';
COMMENT ON CONSTRAINT ck_kategorie_narzedzi_przeglad_miesiace ON kategorie_narzedzi IS
    'Okres przeglądu kategorii musi wynosić od 1 do 240 miesięcy.';

-- The tools view lists every column of its table in the table's order, so
-- it is made anew over the new column.
DROP VIEW v_narzedzia;
CREATE VIEW v_narzedzia AS
SELECT n.*,
       m.mgz_symbol,
       m.mgz_nazwa,
       l.lkl_nazwa,
       k.ktr_nrz_nazwa,
       s.stn_nazwa
  FROM narzedzia n
  LEFT JOIN magazyny m ON m.mgz_id = n.nrz_fk_mgz
  LEFT JOIN lokalizacje l ON l.lkl_id = n.nrz_fk_lkl
  LEFT JOIN kategorie_narzedzi k ON k.ktr_nrz_id = n.nrz_fk_ktr_nrz
  LEFT JOIN stan_techniczny_narzedzi s ON s.stn_id = n.nrz_fk_stn;

DROP VIEW v_naprawy_przeglady;
-- mgz_symbol/mgz_nazwa name the warehouse the trip started from (kept as
-- history); nrz_fk_mgz is the tool's warehouse now, which the rights checks
-- use.
CREATE VIEW v_naprawy_przeglady AS
SELECT np.*,
       CASE np.np_typ WHEN 0 THEN 'NAPRAWA'
                      WHEN 1 THEN 'PRZEGLĄD'
                      ELSE 'NIEZNANE' END AS np_typ_text,
       n.nrz_kod,
       n.nrz_nazwa,
       n.nrz_fk_mgz,
       m.mgz_symbol,
       m.mgz_nazwa,
       uw.uzt_imie     AS uzt_wyd_imie,
       uw.uzt_nazwisko AS uzt_wyd_nazwisko,
       uw.uzt_login    AS uzt_wyd_login,
       up.uzt_imie     AS uzt_prz_imie,
       up.uzt_nazwisko AS uzt_prz_nazwisko,
       up.uzt_login    AS uzt_prz_login,
       sw.stn_nazwa    AS stn_wyd_nazwa,
       sp.stn_nazwa    AS stn_prz_nazwa,
       -- Days away, for the trips not back yet.
       CASE WHEN NOT np.np_status THEN current_date - np.np_data_wyd END AS np_dni_poza
  FROM naprawy_przeglady np
  LEFT JOIN narzedzia n ON n.nrz_id = np.np_fk_nrz
  LEFT JOIN magazyny m ON m.mgz_id = np.np_fk_mgz
  LEFT JOIN uzytkownicy uw ON uw.uzt_id = np.np_fk_uzt_wyd
  LEFT JOIN uzytkownicy up ON up.uzt_id = np.np_fk_uzt_prz
  LEFT JOIN stan_techniczny_narzedzi sw ON sw.stn_id = np.np_fk_stn_wyd
  LEFT JOIN stan_techniczny_narzedzi sp ON sp.stn_id = np.np_fk_stn_prz;

DROP VIEW IF EXISTS v_pracownicy;
-- Employees with the number of tools each holds now: a tool issued to
-- someone who has since left stays in sight.
CREATE VIEW v_pracownicy AS
SELECT p.*,
       (SELECT count(*) FROM przypisane_narzedzia_pracownikom z
         WHERE z.pnp_fk_prc = p.prc_id AND NOT z.pnp_status)::integer AS prc_liczba_narzedzi
  FROM pracownicy p;

GRANT SELECT ON v_narzedzia, v_naprawy_przeglady, v_pracownicy TO tav_orv_user;

-- A tool's location is a place in the tool's own warehouse. A tool that
-- moves to another warehouse (a transfer writes only the warehouse) leaves
-- its old location behind.
CREATE OR REPLACE FUNCTION f_narzedzia_lokalizacja_magazynu() RETURNS trigger
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

DROP TRIGGER IF EXISTS t_narzedzia_lokalizacja_magazynu ON narzedzia;
CREATE TRIGGER t_narzedzia_lokalizacja_magazynu
    BEFORE INSERT OR UPDATE OF nrz_fk_lkl, nrz_fk_mgz ON narzedzia
    FOR EACH ROW EXECUTE FUNCTION f_narzedzia_lokalizacja_magazynu();
COMMENT ON TRIGGER t_narzedzia_lokalizacja_magazynu ON narzedzia IS
    'Lokalizacja narzędzia musi należeć do magazynu, w którym narzędzie się znajduje.';

-- The same rule seen from the location: it cannot move to another
-- warehouse while tools stand in it.
CREATE OR REPLACE FUNCTION f_lokalizacje_magazyn_narzedzi() RETURNS trigger
LANGUAGE plpgsql AS $$
BEGIN
    IF EXISTS (SELECT 1 FROM narzedzia WHERE nrz_fk_lkl = NEW.lkl_id AND nrz_fk_mgz <> NEW.lkl_fk_mgz) THEN
        RAISE EXCEPTION 'Lokalizacji, w której są narzędzia, nie można przenieść do innego magazynu.'
            USING ERRCODE = 'OV002';
    END IF;
    RETURN NEW;
END;
$$;

DROP TRIGGER IF EXISTS t_lokalizacje_magazyn_narzedzi ON lokalizacje;
CREATE TRIGGER t_lokalizacje_magazyn_narzedzi
    BEFORE UPDATE OF lkl_fk_mgz ON lokalizacje
    FOR EACH ROW WHEN (NEW.lkl_fk_mgz IS DISTINCT FROM OLD.lkl_fk_mgz)
    EXECUTE FUNCTION f_lokalizacje_magazyn_narzedzi();

-- Every tool stands in exactly one place. Whatever client writes, the
-- database keeps these rules of the three movements (transfers, issues to
-- employees, repairs and inspections):
--   * a tool has at most one open movement, and nrz_przyjete_na_stan is
--     false exactly while it has one (checked at commit, because a movement
--     writes the tool and its own row in one transaction);
--   * a transfer starts from the tool's own warehouse;
--   * a closed movement is history: it is neither changed nor deleted; an
--     open one is deleted only by cancelling a transfer, which puts the tool
--     back on stock in the same transaction;
--   * a written-off tool starts no movement, and a damaged one is not
--     issued to an employee.
-- Refusals carry SQLSTATEs of the class OV and messages for the user.

CREATE OR REPLACE FUNCTION f_ruch_otwarte(p_nrz integer) RETURNS integer
LANGUAGE sql STABLE AS $$
    SELECT (SELECT count(*) FROM przesuniecia_mm WHERE psnmm_fk_nrz = p_nrz AND NOT psnmm_status)::integer
         + (SELECT count(*) FROM przypisane_narzedzia_pracownikom WHERE pnp_fk_nrz = p_nrz AND NOT pnp_status)::integer
         + (SELECT count(*) FROM naprawy_przeglady WHERE np_fk_nrz = p_nrz AND NOT np_status)::integer
$$;

-- Checked at commit, with the tool's row locked: a second workstation
-- committing a movement of the same tool waits here and then sees the first.
CREATE OR REPLACE FUNCTION f_ruch_sprawdz_narzedzie(p_nrz integer) RETURNS void
LANGUAGE plpgsql AS $$
DECLARE
    v_na_stanie boolean;
    v_otwarte integer;
BEGIN
    SELECT nrz_przyjete_na_stan INTO v_na_stanie FROM narzedzia WHERE nrz_id = p_nrz FOR UPDATE;
    IF NOT FOUND THEN
        RETURN;
    END IF;
    v_otwarte := f_ruch_otwarte(p_nrz);
    IF v_otwarte > 1 THEN
        RAISE EXCEPTION 'Narzędzie jest już w innym ruchu (przesunięcie, wydanie pracownikowi, naprawa lub przegląd). Odśwież widok.'
            USING ERRCODE = 'OV010';
    END IF;
    IF v_na_stanie AND v_otwarte = 1 THEN
        RAISE EXCEPTION 'Narzędzie, które jest w ruchu, nie może być jednocześnie na stanie magazynu.'
            USING ERRCODE = 'OV011';
    END IF;
    IF NOT v_na_stanie AND v_otwarte = 0 THEN
        RAISE EXCEPTION 'Narzędzie może zejść ze stanu magazynu tylko przez wydanie (przesunięcie, pracownik, naprawa lub przegląd).'
            USING ERRCODE = 'OV011';
    END IF;
END;
$$;

CREATE OR REPLACE FUNCTION f_ruch_po_narzedziu() RETURNS trigger
LANGUAGE plpgsql AS $$
BEGIN
    PERFORM f_ruch_sprawdz_narzedzie(NEW.nrz_id);
    RETURN NULL;
END;
$$;

-- A new tool on stock needs no look; one written off stock does.
DROP TRIGGER IF EXISTS t_narzedzia_ruch_spojny_nowe ON narzedzia;
DROP TRIGGER IF EXISTS t_narzedzia_ruch_spojny ON narzedzia;
CREATE CONSTRAINT TRIGGER t_narzedzia_ruch_spojny_nowe
    AFTER INSERT ON narzedzia
    DEFERRABLE INITIALLY DEFERRED
    FOR EACH ROW WHEN (NOT NEW.nrz_przyjete_na_stan)
    EXECUTE FUNCTION f_ruch_po_narzedziu();
CREATE CONSTRAINT TRIGGER t_narzedzia_ruch_spojny
    AFTER UPDATE OF nrz_przyjete_na_stan ON narzedzia
    DEFERRABLE INITIALLY DEFERRED
    FOR EACH ROW EXECUTE FUNCTION f_ruch_po_narzedziu();

-- The movement tables name their columns differently; the trigger functions
-- take (tool column, status column) as arguments.
CREATE OR REPLACE FUNCTION f_ruch_po_ruchu() RETURNS trigger
LANGUAGE plpgsql AS $$
DECLARE
    v_nowy integer;
    v_stary integer;
BEGIN
    IF TG_OP <> 'DELETE' THEN
        v_nowy := (to_jsonb(NEW) ->> TG_ARGV[0])::integer;
        PERFORM f_ruch_sprawdz_narzedzie(v_nowy);
    END IF;
    IF TG_OP <> 'INSERT' THEN
        v_stary := (to_jsonb(OLD) ->> TG_ARGV[0])::integer;
        IF v_stary IS DISTINCT FROM v_nowy THEN
            PERFORM f_ruch_sprawdz_narzedzie(v_stary);
        END IF;
    END IF;
    RETURN NULL;
END;
$$;

-- Before a write of a movement row: history stays as it is, and a new open
-- movement needs a tool that is not written off (a transfer also starts
-- from the tool's own warehouse).
CREATE OR REPLACE FUNCTION f_ruch_przed_zapisem() RETURNS trigger
LANGUAGE plpgsql AS $$
DECLARE
    v_status_stary boolean;
    v_status_nowy boolean;
    v_nrz integer;
    v_zlikwidowano boolean;
    v_mgz integer;
    v_stn integer;
    v_new jsonb;
    v_old jsonb;
BEGIN
    IF TG_OP <> 'INSERT' THEN
        v_old := to_jsonb(OLD);
        v_status_stary := (v_old ->> TG_ARGV[1])::boolean;
        IF v_status_stary THEN
            RAISE EXCEPTION 'Zakończony ruch narzędzia jest historią: nie można go zmienić ani usunąć.'
                USING ERRCODE = 'OV013';
        END IF;
        IF TG_OP = 'DELETE' THEN
            -- Only an open transfer is ever deleted: its cancellation.
            IF TG_TABLE_NAME <> 'przesuniecia_mm' THEN
                RAISE EXCEPTION 'Wydania narzędzia nie można usunąć; można je tylko zakończyć przyjęciem.'
                    USING ERRCODE = 'OV014';
            END IF;
            RETURN OLD;
        END IF;
    END IF;
    v_new := to_jsonb(NEW);
    v_status_nowy := (v_new ->> TG_ARGV[1])::boolean;
    IF TG_OP = 'INSERT' AND NOT v_status_nowy THEN
        v_nrz := (v_new ->> TG_ARGV[0])::integer;
        SELECT nrz_zlikwidowano, nrz_fk_mgz, nrz_fk_stn INTO v_zlikwidowano, v_mgz, v_stn
            FROM narzedzia WHERE nrz_id = v_nrz;
        IF v_zlikwidowano THEN
            RAISE EXCEPTION 'Narzędzie zostało zlikwidowane; nie można go wydać ani przesunąć.'
                USING ERRCODE = 'OV015';
        END IF;
        -- A damaged tool must not reach a worker; it may still go to repair
        -- or to another warehouse.
        IF TG_TABLE_NAME = 'przypisane_narzedzia_pracownikom' AND v_stn = 2 THEN
            RAISE EXCEPTION 'Narzędzie jest uszkodzone; nie można go wydać pracownikowi. Najpierw wyślij je do naprawy.'
                USING ERRCODE = 'OV016';
        END IF;
        IF TG_TABLE_NAME = 'przesuniecia_mm'
           AND (v_new ->> 'psnmm_fk_mgz_src')::integer IS DISTINCT FROM v_mgz THEN
            RAISE EXCEPTION 'Przesunięcie musi wychodzić z magazynu, w którym narzędzie się znajduje.'
                USING ERRCODE = 'OV012';
        END IF;
    END IF;
    IF TG_OP = 'UPDATE' AND (v_new ->> TG_ARGV[0]) IS DISTINCT FROM (v_old ->> TG_ARGV[0]) THEN
        RAISE EXCEPTION 'Nie można zmienić narzędzia w zapisanym ruchu.' USING ERRCODE = 'OV013';
    END IF;
    RETURN NEW;
END;
$$;

DO $$
DECLARE
    r record;
BEGIN
    FOR r IN SELECT * FROM (VALUES
            ('przesuniecia_mm', 'psnmm_fk_nrz', 'psnmm_status'),
            ('przypisane_narzedzia_pracownikom', 'pnp_fk_nrz', 'pnp_status'),
            ('naprawy_przeglady', 'np_fk_nrz', 'np_status')) AS v(tab, nrz, status)
    LOOP
        EXECUTE format('DROP TRIGGER IF EXISTS %I ON %I', 't_' || r.tab || '_historia', r.tab);
        EXECUTE format('DROP TRIGGER IF EXISTS %I ON %I', 't_' || r.tab || '_spojny', r.tab);
        EXECUTE format('CREATE TRIGGER %I BEFORE INSERT OR UPDATE OR DELETE ON %I '
                       'FOR EACH ROW EXECUTE FUNCTION f_ruch_przed_zapisem(%L, %L)',
                       't_' || r.tab || '_historia', r.tab, r.nrz, r.status);
        EXECUTE format('CREATE CONSTRAINT TRIGGER %I AFTER INSERT OR UPDATE OR DELETE ON %I '
                       'DEFERRABLE INITIALLY DEFERRED FOR EACH ROW EXECUTE FUNCTION f_ruch_po_ruchu(%L)',
                       't_' || r.tab || '_spojny', r.tab, r.nrz);
    END LOOP;
END;
$$;

-- Trigger functions run on their own; nobody needs to call them.
REVOKE EXECUTE ON FUNCTION f_narzedzia_lokalizacja_magazynu(), f_lokalizacje_magazyn_narzedzi(),
    f_ruch_po_narzedziu(), f_ruch_po_ruchu(), f_ruch_przed_zapisem() FROM PUBLIC;
