-- Opens every step of the schema (see steps.sh): one upgrade at a time, and
-- only over the version the step was written for. Also gives the step the
-- means to refuse rows it cannot take, all of them named at once.
\set ON_ERROR_STOP 1
\set SHOW_CONTEXT never
SELECT pg_advisory_xact_lock(hashtext('orvalo: zmiany schematu'));
SELECT set_config('orv.wersja_przed', :'wersja_przed', true);
DO $$
DECLARE
    v_wersja text := '';
BEGIN
    IF to_regclass('zmiany_schematu_bazy') IS NOT NULL THEN
        SELECT zsb_major_release_number || '.' || zsb_minor_release_number || '.' || zsb_point_release_number
          INTO v_wersja FROM zmiany_schematu_bazy ORDER BY zsb_id DESC LIMIT 1;
    END IF;
    IF coalesce(v_wersja, '') <> current_setting('orv.wersja_przed') THEN
        RAISE EXCEPTION 'Baza jest w wersji „%”, a ten krok dotyczy wersji „%”.',
            coalesce(v_wersja, ''), current_setting('orv.wersja_przed')
            USING HINT = 'Czy drugie uaktualnienie tej bazy działa w tej chwili? Uruchom upgrade.sh ponownie.';
    END IF;
END;
$$;

CREATE TEMPORARY TABLE orv_odmowy (regula text, wiersze text, naprawa text) ON COMMIT DROP;

-- p_zapytanie returns one text per offending row; the first 50 are named.
CREATE FUNCTION pg_temp.orv_sprawdz(p_regula text, p_zapytanie text, p_naprawa text) RETURNS void
LANGUAGE plpgsql AS $$
DECLARE
    v_ile bigint;
    v_wiersze text;
BEGIN
    EXECUTE format('SELECT count(*), string_agg(w, E''\n      '') FILTER (WHERE nr <= 50) '
                   'FROM (SELECT w, row_number() OVER () AS nr FROM (%s) q(w)) s', p_zapytanie)
        INTO v_ile, v_wiersze;
    IF v_ile > 0 THEN
        INSERT INTO orv_odmowy VALUES (p_regula,
            v_wiersze || CASE WHEN v_ile > 50 THEN format(E'\n      … i %s innych', v_ile - 50) ELSE '' END,
            p_naprawa);
    END IF;
END;
$$;

CREATE FUNCTION pg_temp.orv_odmow_jesli_trzeba() RETURNS void
LANGUAGE plpgsql AS $$
DECLARE
    v_opis text;
BEGIN
    SELECT string_agg(format(E'  * %s:\n      %s\n    Naprawa: %s', regula, wiersze, naprawa), E'\n')
      INTO v_opis FROM orv_odmowy;
    IF v_opis IS NOT NULL THEN
        RAISE EXCEPTION USING ERRCODE = 'OV900',
            MESSAGE = E'Dane bazy nie spełniają reguł tej wersji; krok nie zmienił niczego.\n' || v_opis,
            HINT = 'Popraw wymienione wiersze (np. w psql jako właściciel bazy) i uruchom upgrade.sh ponownie.';
    END IF;
END;
$$;
