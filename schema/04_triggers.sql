-- Audit timestamps. The client fills the two audit user columns from its
-- session (every workstation signs in to the database as the same role, so
-- the database cannot tell users apart); the times are the database's own.
CREATE FUNCTION f_audyt_czas() RETURNS trigger
LANGUAGE plpgsql AS $$
BEGIN
    IF TG_OP = 'INSERT' THEN
        NEW.stworzono := now();
    ELSE
        -- The creation time is history: an UPDATE cannot rewrite it.
        NEW.stworzono := OLD.stworzono;
    END IF;
    NEW.zmodyfikowano := now();
    RETURN NEW;
END;
$$;

CREATE TRIGGER t_uzytkownicy_audyt BEFORE INSERT OR UPDATE ON uzytkownicy
    FOR EACH ROW EXECUTE FUNCTION f_audyt_czas();
CREATE TRIGGER t_stan_techniczny_narzedzi_audyt BEFORE INSERT OR UPDATE ON stan_techniczny_narzedzi
    FOR EACH ROW EXECUTE FUNCTION f_audyt_czas();
CREATE TRIGGER t_magazyny_audyt BEFORE INSERT OR UPDATE ON magazyny
    FOR EACH ROW EXECUTE FUNCTION f_audyt_czas();
CREATE TRIGGER t_lokalizacje_audyt BEFORE INSERT OR UPDATE ON lokalizacje
    FOR EACH ROW EXECUTE FUNCTION f_audyt_czas();
CREATE TRIGGER t_miejsca_uzytkowania_audyt BEFORE INSERT OR UPDATE ON miejsca_uzytkowania
    FOR EACH ROW EXECUTE FUNCTION f_audyt_czas();
CREATE TRIGGER t_pracownicy_audyt BEFORE INSERT OR UPDATE ON pracownicy
    FOR EACH ROW EXECUTE FUNCTION f_audyt_czas();
CREATE TRIGGER t_kategorie_narzedzi_audyt BEFORE INSERT OR UPDATE ON kategorie_narzedzi
    FOR EACH ROW EXECUTE FUNCTION f_audyt_czas();
CREATE TRIGGER t_narzedzia_audyt BEFORE INSERT OR UPDATE ON narzedzia
    FOR EACH ROW EXECUTE FUNCTION f_audyt_czas();
CREATE TRIGGER t_ov_uprawnienia_mgz_audyt BEFORE INSERT OR UPDATE ON ov_uprawnienia_mgz
    FOR EACH ROW EXECUTE FUNCTION f_audyt_czas();
CREATE TRIGGER t_ov_uprawnienia_admin_audyt BEFORE INSERT OR UPDATE ON ov_uprawnienia_admin
    FOR EACH ROW EXECUTE FUNCTION f_audyt_czas();
CREATE TRIGGER t_przesuniecia_mm_audyt BEFORE INSERT OR UPDATE ON przesuniecia_mm
    FOR EACH ROW EXECUTE FUNCTION f_audyt_czas();
CREATE TRIGGER t_przypisane_narzedzia_pracownikom_audyt BEFORE INSERT OR UPDATE ON przypisane_narzedzia_pracownikom
    FOR EACH ROW EXECUTE FUNCTION f_audyt_czas();
CREATE TRIGGER t_naprawy_przeglady_audyt BEFORE INSERT OR UPDATE ON naprawy_przeglady
    FOR EACH ROW EXECUTE FUNCTION f_audyt_czas();

-- Guard against two workstations moving one tool at the same time.
--
-- A movement command reads nrz_przyjete_na_stan, shows its dialog and then,
-- in one transaction, writes the flipped flag and the movement row. The read
-- takes no lock, so two users can both see a tool on stock and both issue it.
-- Every legitimate write of the flag changes it (issue: true -> false,
-- receipt or cancellation: false -> true), so a write that leaves it as it is
-- means someone else has moved the tool since it was read. Refusing it rolls
-- the whole movement back. Under READ COMMITTED the later UPDATE waits for
-- the earlier transaction, re-reads the committed row and then fails here.
--
-- Raised with SQLSTATE 55000 (object_not_in_prerequisite_state) so callers
-- can tell it from other failures.
CREATE FUNCTION f_narzedzia_kontrola_stanu() RETURNS trigger
LANGUAGE plpgsql AS $$
BEGIN
    RAISE EXCEPTION 'Narzędzie zostało w międzyczasie przesunięte przez innego użytkownika.'
        USING ERRCODE = '55000',
              DETAIL = format('nrz_id = %s, nrz_przyjete_na_stan już wynosi %s.',
                              OLD.nrz_id, OLD.nrz_przyjete_na_stan),
              HINT = 'Odśwież widok i powtórz operację.';
END;
$$;

CREATE TRIGGER t_narzedzia_kontrola_stanu
    BEFORE UPDATE OF nrz_przyjete_na_stan ON narzedzia
    FOR EACH ROW
    WHEN (NEW.nrz_przyjete_na_stan IS NOT DISTINCT FROM OLD.nrz_przyjete_na_stan)
    EXECUTE FUNCTION f_narzedzia_kontrola_stanu();
