-- opis: Narzędzie zmienia magazyn tylko przez przesunięcie
-- A tool's warehouse is chosen while the tool is created; afterwards only
-- the receipt of a transfer moves it, to that transfer's destination (the
-- program writes the tool first and closes the transfer in the same
-- transaction, and the movement checks at commit hold the two together).
-- "Created in this transaction" is read from the creation time, which the
-- audit trigger sets at the insert and keeps ever after.
CREATE FUNCTION f_narzedzia_magazyn_przez_przesuniecie() RETURNS trigger
LANGUAGE plpgsql AS $$
BEGIN
    IF current_setting('is_superuser') = 'on' OR OLD.stworzono = now() THEN
        RETURN NEW;
    END IF;
    IF EXISTS (SELECT 1 FROM przesuniecia_mm
               WHERE psnmm_fk_nrz = NEW.nrz_id AND NOT psnmm_status AND psnmm_fk_mgz_dst = NEW.nrz_fk_mgz) THEN
        RETURN NEW;
    END IF;
    RAISE EXCEPTION 'Narzędzie zmienia magazyn tylko przez przyjęcie przesunięcia międzymagazynowego.'
        USING ERRCODE = 'OV024';
END;
$$;

REVOKE EXECUTE ON FUNCTION f_narzedzia_magazyn_przez_przesuniecie() FROM PUBLIC;

CREATE TRIGGER t_narzedzia_magazyn_przez_przesuniecie
    BEFORE UPDATE OF nrz_fk_mgz ON narzedzia
    FOR EACH ROW WHEN (NEW.nrz_fk_mgz IS DISTINCT FROM OLD.nrz_fk_mgz)
    EXECUTE FUNCTION f_narzedzia_magazyn_przez_przesuniecie();
