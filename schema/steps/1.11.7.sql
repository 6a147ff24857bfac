-- opis: Dalsze reguły ruchów narzędzi pilnowane przez bazę danych
-- What the program does when it moves a tool holds whatever client writes
-- to the movement tables:
--   * a movement is written open and is closed only by its own receipt
--     (a row written already closed, or with receipt data, is history
--     invented after the fact);
--   * a transfer goes to an active warehouse, and its receipt finds the
--     tool in that warehouse;
--   * a tool is issued only to an employed employee, booked in the
--     warehouse the tool is in;
--   * what was written at the issue (who, when, from where, to whom) stays
--     as written until the receipt closes the movement.
-- Rows already stored are left as they are; only writes from now on are
-- checked. Loading history or demo data as the database's superuser is not
-- held to the rules of a new movement.

CREATE FUNCTION f_ruch_reguly() RETURNS trigger
LANGUAGE plpgsql AS $$
DECLARE
    v_new jsonb := to_jsonb(NEW);
    v_old jsonb;
    v_kolumna text;
    v_nrz integer;
    v_mgz integer;
    v_wydanie text[];
    v_przyjecie text[];
BEGIN
    IF current_setting('is_superuser') = 'on' THEN
        RETURN NEW;
    END IF;
    IF TG_TABLE_NAME = 'przesuniecia_mm' THEN
        v_nrz := (v_new ->> 'psnmm_fk_nrz')::integer;
        v_wydanie := ARRAY['psnmm_fk_mgz_src', 'psnmm_fk_mgz_dst', 'psnmm_fk_uzt_src', 'psnmm_data_wydanie'];
        v_przyjecie := ARRAY['psnmm_fk_uzt_dst', 'psnmm_data_przyjecie', 'psnmm_status'];
    ELSIF TG_TABLE_NAME = 'przypisane_narzedzia_pracownikom' THEN
        v_nrz := (v_new ->> 'pnp_fk_nrz')::integer;
        v_wydanie := ARRAY['pnp_fk_prc', 'pnp_fk_mgz', 'pnp_fk_uzt_wyd', 'pnp_data_wydanie', 'pnp_fk_stn_wydanie'];
        v_przyjecie := ARRAY['pnp_fk_uzt_prz', 'pnp_data_przyjecie', 'pnp_fk_stn_przyjecie', 'pnp_status'];
    ELSE
        v_nrz := (v_new ->> 'np_fk_nrz')::integer;
        v_wydanie := ARRAY['np_typ', 'np_fk_mgz', 'np_fk_uzt_wyd', 'np_data_wyd', 'np_fk_stn_wyd'];
        v_przyjecie := ARRAY['np_fk_uzt_prz', 'np_data_prz', 'np_fk_stn_prz', 'np_status'];
    END IF;

    IF TG_OP = 'INSERT' THEN
        FOREACH v_kolumna IN ARRAY v_przyjecie LOOP
            IF v_new ->> v_kolumna IS NOT NULL AND v_new ->> v_kolumna <> 'false' THEN
                RAISE EXCEPTION 'Nowy ruch narzędzia zapisuje się jako rozpoczęty; kończy go dopiero przyjęcie.'
                    USING ERRCODE = 'OV018';
            END IF;
        END LOOP;
        IF TG_TABLE_NAME = 'przesuniecia_mm' THEN
            IF NOT EXISTS (SELECT 1 FROM magazyny
                           WHERE mgz_id = (v_new ->> 'psnmm_fk_mgz_dst')::integer AND mgz_aktywny) THEN
                RAISE EXCEPTION 'Przesunięcie może prowadzić tylko do aktywnego magazynu.'
                    USING ERRCODE = 'OV019';
            END IF;
        END IF;
        IF TG_TABLE_NAME = 'przypisane_narzedzia_pracownikom' THEN
            IF NOT EXISTS (SELECT 1 FROM pracownicy
                           WHERE prc_id = (v_new ->> 'pnp_fk_prc')::integer AND prc_zatrudniony) THEN
                RAISE EXCEPTION 'Narzędzie można wydać tylko zatrudnionemu pracownikowi.'
                    USING ERRCODE = 'OV020';
            END IF;
            SELECT nrz_fk_mgz INTO v_mgz FROM narzedzia WHERE nrz_id = v_nrz;
            IF (v_new ->> 'pnp_fk_mgz')::integer IS DISTINCT FROM v_mgz THEN
                RAISE EXCEPTION 'Wydanie pracownikowi zapisuje się w magazynie, w którym narzędzie się znajduje.'
                    USING ERRCODE = 'OV021';
            END IF;
        END IF;
        RETURN NEW;
    END IF;

    -- An update of an open row: only its receipt may be written.
    v_old := to_jsonb(OLD);
    FOREACH v_kolumna IN ARRAY v_wydanie LOOP
        IF v_new -> v_kolumna IS DISTINCT FROM v_old -> v_kolumna THEN
            RAISE EXCEPTION 'Danych wydania rozpoczętego ruchu nie można zmienić; ruch kończy się przyjęciem.'
                USING ERRCODE = 'OV023';
        END IF;
    END LOOP;
    IF TG_TABLE_NAME = 'przesuniecia_mm' AND (v_new ->> 'psnmm_status')::boolean
       AND NOT (v_old ->> 'psnmm_status')::boolean THEN
        SELECT nrz_fk_mgz INTO v_mgz FROM narzedzia WHERE nrz_id = v_nrz;
        IF v_mgz IS DISTINCT FROM (v_new ->> 'psnmm_fk_mgz_dst')::integer THEN
            RAISE EXCEPTION 'Przyjęte przesunięcie stawia narzędzie w magazynie docelowym; narzędzie jest w innym magazynie.'
                USING ERRCODE = 'OV022';
        END IF;
    END IF;
    RETURN NEW;
END;
$$;

REVOKE EXECUTE ON FUNCTION f_ruch_reguly() FROM PUBLIC;

-- After the history guard of each table (triggers fire in name order), so
-- that a closed row is refused as history first.
CREATE TRIGGER t_przesuniecia_mm_reguly BEFORE INSERT OR UPDATE ON przesuniecia_mm
    FOR EACH ROW EXECUTE FUNCTION f_ruch_reguly();
CREATE TRIGGER t_przypisane_narzedzia_pracownikom_reguly BEFORE INSERT OR UPDATE ON przypisane_narzedzia_pracownikom
    FOR EACH ROW EXECUTE FUNCTION f_ruch_reguly();
CREATE TRIGGER t_naprawy_przeglady_reguly BEFORE INSERT OR UPDATE ON naprawy_przeglady
    FOR EACH ROW EXECUTE FUNCTION f_ruch_reguly();
