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

CREATE FUNCTION f_ruch_otwarte(p_nrz integer) RETURNS integer
LANGUAGE sql STABLE AS $$
    SELECT (SELECT count(*) FROM przesuniecia_mm WHERE psnmm_fk_nrz = p_nrz AND NOT psnmm_status)::integer
         + (SELECT count(*) FROM przypisane_narzedzia_pracownikom WHERE pnp_fk_nrz = p_nrz AND NOT pnp_status)::integer
         + (SELECT count(*) FROM naprawy_przeglady WHERE np_fk_nrz = p_nrz AND NOT np_status)::integer
$$;

-- Checked at commit, with the tool's row locked: a second workstation
-- committing a movement of the same tool waits here and then sees the first.
CREATE FUNCTION f_ruch_sprawdz_narzedzie(p_nrz integer) RETURNS void
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

CREATE FUNCTION f_ruch_po_narzedziu() RETURNS trigger
LANGUAGE plpgsql AS $$
BEGIN
    PERFORM f_ruch_sprawdz_narzedzie(NEW.nrz_id);
    RETURN NULL;
END;
$$;

-- A new tool on stock needs no look; one written off stock does.
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
CREATE FUNCTION f_ruch_po_ruchu() RETURNS trigger
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
CREATE FUNCTION f_ruch_przed_zapisem() RETURNS trigger
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
        EXECUTE format('CREATE TRIGGER %I BEFORE INSERT OR UPDATE OR DELETE ON %I '
                       'FOR EACH ROW EXECUTE FUNCTION f_ruch_przed_zapisem(%L, %L)',
                       't_' || r.tab || '_historia', r.tab, r.nrz, r.status);
        EXECUTE format('CREATE CONSTRAINT TRIGGER %I AFTER INSERT OR UPDATE OR DELETE ON %I '
                       'DEFERRABLE INITIALLY DEFERRED FOR EACH ROW EXECUTE FUNCTION f_ruch_po_ruchu(%L)',
                       't_' || r.tab || '_spojny', r.tab, r.nrz);
    END LOOP;
END;
$$;
