-- opis: Powiadomienia o zmianach dla otwartych rejestrów
-- Some databases of release 1.11.1 already hold this; it applies over
-- itself.

-- Live registers: after every committed change of a register table each
-- listening workstation hears which rows changed, on one channel, and reads
-- only those rows again. One notice per statement: a statement that touches
-- many rows names them together, or the whole table when they are too many
-- for one notice. The sending backend is named so a workstation can skip
-- the echo of its own writes.
CREATE OR REPLACE FUNCTION f_powiadom_zmiany() RETURNS trigger
LANGUAGE plpgsql AS $$
DECLARE
    v_klucz text := TG_ARGV[0];
    v_klucze text;
    v_ile integer;
BEGIN
    IF TG_OP = 'DELETE' THEN
        EXECUTE format('SELECT count(*), string_agg(%I::text, '','') FROM (SELECT %I FROM stare LIMIT 201) s',
                       v_klucz, v_klucz) INTO v_ile, v_klucze;
    ELSE
        EXECUTE format('SELECT count(*), string_agg(%I::text, '','') FROM (SELECT %I FROM nowe LIMIT 201) s',
                       v_klucz, v_klucz) INTO v_ile, v_klucze;
    END IF;
    IF v_ile = 0 THEN
        RETURN NULL;
    END IF;
    PERFORM pg_notify('orvalo_zmiany',
                      json_build_object('t', TG_TABLE_NAME, 'p', pg_backend_pid(),
                                        'k', CASE WHEN v_ile > 200 THEN NULL ELSE v_klucze END)::text);
    RETURN NULL;
END;
$$;

DO $$
DECLARE
    r record;
BEGIN
    FOR r IN SELECT * FROM (VALUES
            ('magazyny', 'mgz_id'), ('lokalizacje', 'lkl_id'), ('miejsca_uzytkowania', 'muz_id'),
            ('pracownicy', 'prc_id'), ('kategorie_narzedzi', 'ktr_nrz_id'), ('narzedzia', 'nrz_id'),
            ('uzytkownicy', 'uzt_id'), ('ov_uprawnienia_mgz', 'ovuprmgz_id'), ('ov_uprawnienia_admin', 'ovupradm_id'),
            ('przesuniecia_mm', 'psnmm_id'), ('przypisane_narzedzia_pracownikom', 'pnp_id'),
            ('naprawy_przeglady', 'np_id')) AS v(tab, klucz)
    LOOP
        EXECUTE format('DROP TRIGGER IF EXISTS %I ON %I', 't_' || r.tab || '_powiadom_ins', r.tab);
        EXECUTE format('DROP TRIGGER IF EXISTS %I ON %I', 't_' || r.tab || '_powiadom_upd', r.tab);
        EXECUTE format('DROP TRIGGER IF EXISTS %I ON %I', 't_' || r.tab || '_powiadom_del', r.tab);
        EXECUTE format('CREATE TRIGGER %I AFTER INSERT ON %I REFERENCING NEW TABLE AS nowe '
                       'FOR EACH STATEMENT EXECUTE FUNCTION f_powiadom_zmiany(%L)',
                       't_' || r.tab || '_powiadom_ins', r.tab, r.klucz);
        EXECUTE format('CREATE TRIGGER %I AFTER UPDATE ON %I REFERENCING NEW TABLE AS nowe '
                       'FOR EACH STATEMENT EXECUTE FUNCTION f_powiadom_zmiany(%L)',
                       't_' || r.tab || '_powiadom_upd', r.tab, r.klucz);
        EXECUTE format('CREATE TRIGGER %I AFTER DELETE ON %I REFERENCING OLD TABLE AS stare '
                       'FOR EACH STATEMENT EXECUTE FUNCTION f_powiadom_zmiany(%L)',
                       't_' || r.tab || '_powiadom_del', r.tab, r.klucz);
    END LOOP;
END;
$$;

REVOKE EXECUTE ON FUNCTION f_powiadom_zmiany() FROM PUBLIC;
