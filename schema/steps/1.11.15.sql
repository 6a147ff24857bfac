-- opis: Zestaw przekazywany do innego magazynu i wysyłany do naprawy lub przeglądu
-- A kit goes to another warehouse, to repair or to inspection as one act:
-- each tool gets its ordinary movement, and the movements of one kit share
-- a group key, as the kit's issues to an employee do. A kit's transfer is
-- received whole; the kit then belongs to the receiving warehouse.

ALTER TABLE przesuniecia_mm ADD COLUMN psnmm_grupa bigint;
COMMENT ON COLUMN przesuniecia_mm.psnmm_grupa IS 'Przesunięcie zestawu';
CREATE INDEX ix_przesuniecia_mm_grupa ON przesuniecia_mm (psnmm_grupa) WHERE psnmm_grupa IS NOT NULL;

ALTER TABLE naprawy_przeglady ADD COLUMN np_grupa bigint;
COMMENT ON COLUMN naprawy_przeglady.np_grupa IS 'Wysyłka zestawu';
CREATE INDEX ix_naprawy_przeglady_grupa ON naprawy_przeglady (np_grupa) WHERE np_grupa IS NOT NULL;

-- The history follows the new columns.
SELECT f_historia_generuj('przesuniecia_mm', 'psnmm_id', 'psnmm_fk_nrz');
SELECT f_historia_generuj('naprawy_przeglady', 'np_id', 'np_fk_nrz');

-- The receiving warehouse's manager moves the kit with its tools; the rest
-- of the rights check is as before.
CREATE OR REPLACE FUNCTION f_prawa_serwera() RETURNS trigger
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, public, pg_temp AS $$
DECLARE
    v_rodzaj text := TG_ARGV[0];
    v_uzt integer;
    v_new jsonb;
    v_old jsonb;
    v_ok boolean;
    v_zmiany jsonb;
    v_wyd text;
    v_prz text;
    v_status text;
BEGIN
    IF session_user::text NOT LIKE 'tav\_orv.%' THEN
        RETURN CASE WHEN TG_OP = 'DELETE' THEN OLD ELSE NEW END;
    END IF;
    -- One look-up per row: who, and whether an administrator.
    SELECT u.uzt_id, EXISTS (SELECT 1 FROM ov_uprawnienia_admin a WHERE a.ovupradm_fk_uzt = u.uzt_id)
      INTO v_uzt, v_ok
      FROM uzytkownicy u
     WHERE u.uzt_login = substr(session_user::text, 9) AND u.uzt_zatrudniony;
    IF v_uzt IS NULL THEN
        RAISE EXCEPTION 'Konto „%” nie należy do aktywnego użytkownika.', session_user USING ERRCODE = '42501';
    END IF;
    IF NOT v_ok AND v_rodzaj NOT IN ('wszyscy', 'admin') THEN
        IF TG_OP <> 'INSERT' THEN v_old := to_jsonb(OLD); END IF;
        IF TG_OP <> 'DELETE' THEN v_new := to_jsonb(NEW); END IF;
    END IF;

    IF NOT v_ok THEN
        v_ok := CASE v_rodzaj
            WHEN 'wszyscy' THEN true
            WHEN 'admin' THEN false
            WHEN 'uzytkownicy' THEN
                TG_OP = 'UPDATE' AND (v_old ->> 'uzt_id')::integer = v_uzt
                AND v_new - ARRAY['uzt_haslo', 'zmodyfikowano', 'fk_uzt_zmodyfikowano']
                  = v_old - ARRAY['uzt_haslo', 'zmodyfikowano', 'fk_uzt_zmodyfikowano']
            WHEN 'lokalizacje' THEN f_prawa_magazynu(v_uzt, v_old, v_new, 'lkl_fk_mgz')
            WHEN 'wydania' THEN f_prawa_magazynu(v_uzt, v_old, v_new, 'pnp_fk_mgz')
            WHEN 'naprawy' THEN f_prawa_magazynu(v_uzt, v_old, v_new, 'np_fk_mgz')
            WHEN 'zestawy' THEN
                f_prawa_magazynu(v_uzt, v_old, v_new, 'zst_fk_mgz')
                -- the receipt of a kit's transfer into a warehouse of the user:
                -- the kit follows its tools and nothing else of it changes
                OR (TG_OP = 'UPDATE'
                    AND v_new - ARRAY['zst_fk_mgz', 'zmodyfikowano', 'fk_uzt_zmodyfikowano']
                      = v_old - ARRAY['zst_fk_mgz', 'zmodyfikowano', 'fk_uzt_zmodyfikowano']
                    AND EXISTS (
                        SELECT 1 FROM przesuniecia_mm p JOIN narzedzia n ON n.nrz_id = p.psnmm_fk_nrz
                         WHERE n.nrz_fk_zst = (v_new ->> 'zst_id')::integer AND NOT p.psnmm_status
                           AND p.psnmm_grupa IS NOT NULL
                           AND p.psnmm_fk_mgz_dst = (v_new ->> 'zst_fk_mgz')::integer
                           AND f_orv_moge(v_uzt, p.psnmm_fk_mgz_dst)))
            WHEN 'narzedzia' THEN
                f_prawa_magazynu(v_uzt, v_old, v_new, 'nrz_fk_mgz')
                -- the receipt of a transfer into a warehouse of the user
                OR (TG_OP = 'UPDATE' AND EXISTS (
                        SELECT 1 FROM przesuniecia_mm
                         WHERE psnmm_fk_nrz = (v_new ->> 'nrz_id')::integer AND NOT psnmm_status
                           AND psnmm_fk_mgz_dst = (v_new ->> 'nrz_fk_mgz')::integer
                           AND f_orv_moge(v_uzt, psnmm_fk_mgz_dst)))
            WHEN 'przesuniecia' THEN
                f_orv_moge(v_uzt, CASE TG_OP
                    WHEN 'UPDATE' THEN (v_old ->> 'psnmm_fk_mgz_dst')::integer
                    ELSE (coalesce(v_new, v_old) ->> 'psnmm_fk_mgz_src')::integer END)
            ELSE false
        END;
    END IF;
    IF NOT v_ok THEN
        IF v_rodzaj IN ('admin', 'uzytkownicy') THEN
            RAISE EXCEPTION 'Operacja wymaga praw administratora.' USING ERRCODE = '42501';
        END IF;
        RAISE EXCEPTION 'Operacja wymaga praw do magazynu.' USING ERRCODE = '42501';
    END IF;
    IF TG_OP = 'DELETE' THEN
        RETURN OLD;
    END IF;

    NEW.fk_uzt_zmodyfikowano := v_uzt;
    IF TG_OP = 'INSERT' THEN
        NEW.fk_uzt_stworzono := v_uzt;
    ELSE
        NEW.fk_uzt_stworzono := OLD.fk_uzt_stworzono;
    END IF;
    IF v_rodzaj NOT IN ('przesuniecia', 'wydania', 'naprawy') THEN
        RETURN NEW;
    END IF;
    v_wyd := CASE v_rodzaj WHEN 'przesuniecia' THEN 'psnmm_fk_uzt_src' WHEN 'wydania' THEN 'pnp_fk_uzt_wyd' ELSE 'np_fk_uzt_wyd' END;
    v_prz := CASE v_rodzaj WHEN 'przesuniecia' THEN 'psnmm_fk_uzt_dst' WHEN 'wydania' THEN 'pnp_fk_uzt_prz' ELSE 'np_fk_uzt_prz' END;
    v_status := CASE v_rodzaj WHEN 'przesuniecia' THEN 'psnmm_status' WHEN 'wydania' THEN 'pnp_status' ELSE 'np_status' END;
    IF TG_OP = 'INSERT' THEN
        v_zmiany := jsonb_build_object(v_wyd, v_uzt);
    ELSIF (to_jsonb(NEW) ->> v_status)::boolean AND NOT (to_jsonb(OLD) ->> v_status)::boolean THEN
        v_zmiany := jsonb_build_object(v_prz, v_uzt);
    ELSE
        RETURN NEW;
    END IF;
    NEW := jsonb_populate_record(NEW, v_zmiany);
    RETURN NEW;
END;
$$;
