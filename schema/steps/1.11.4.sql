-- opis: Daty ruchów narzędzi nie później niż dziś
-- No movement is dated after today on the server's clock: an issue, a
-- receipt or a return typed ten days ahead is refused whatever client
-- writes. Rows already stored are left as they are; only a date that is
-- written is checked.
CREATE FUNCTION f_ruch_data_nie_z_przyszlosci() RETURNS trigger
LANGUAGE plpgsql AS $$
DECLARE
    v_new jsonb := to_jsonb(NEW);
    v_old jsonb;
    v_kolumna text;
BEGIN
    IF TG_OP = 'UPDATE' THEN
        v_old := to_jsonb(OLD);
    END IF;
    FOREACH v_kolumna IN ARRAY TG_ARGV LOOP
        IF (v_new ->> v_kolumna)::date > current_date
           AND (v_old IS NULL OR (v_new ->> v_kolumna) IS DISTINCT FROM (v_old ->> v_kolumna)) THEN
            RAISE EXCEPTION 'Data ruchu narzędzia (%) nie może być późniejsza niż dzisiejsza (%).',
                to_char((v_new ->> v_kolumna)::date, 'DD.MM.YYYY'), to_char(current_date, 'DD.MM.YYYY')
                USING ERRCODE = 'OV017';
        END IF;
    END LOOP;
    RETURN NEW;
END;
$$;

CREATE TRIGGER t_przesuniecia_mm_data
    BEFORE INSERT OR UPDATE OF psnmm_data_wydanie, psnmm_data_przyjecie ON przesuniecia_mm
    FOR EACH ROW EXECUTE FUNCTION f_ruch_data_nie_z_przyszlosci('psnmm_data_wydanie', 'psnmm_data_przyjecie');
CREATE TRIGGER t_przypisane_narzedzia_pracownikom_data
    BEFORE INSERT OR UPDATE OF pnp_data_wydanie, pnp_data_przyjecie ON przypisane_narzedzia_pracownikom
    FOR EACH ROW EXECUTE FUNCTION f_ruch_data_nie_z_przyszlosci('pnp_data_wydanie', 'pnp_data_przyjecie');
CREATE TRIGGER t_naprawy_przeglady_data
    BEFORE INSERT OR UPDATE OF np_data_wyd, np_data_prz ON naprawy_przeglady
    FOR EACH ROW EXECUTE FUNCTION f_ruch_data_nie_z_przyszlosci('np_data_wyd', 'np_data_prz');

REVOKE EXECUTE ON FUNCTION f_ruch_data_nie_z_przyszlosci() FROM PUBLIC;
