-- opis: Prawa pilnowane przez serwer: konto bazy danych dla każdego użytkownika
-- Until now every workstation signs in as the one shared role, so the rights
-- the program enforces are only as strong as the program. This step adds a
-- second way of working, chosen per database in orv_tryb_praw:
--   'wspolna'  the shared role, as before (the default; nothing changes);
--   'migracja' users move to accounts of their own as they sign in;
--   'serwer'   every user signs in as a database role of their own
--              ("tav_orv." + login) with a password the server checks; the
--              shared role and every stored digest are gone.
-- Rights of an account come from the same tables the program reads
-- (ov_uprawnienia_admin, ov_uprawnienia_mgz) and are checked by a trigger on
-- every register table: a refused write fails with SQLSTATE 42501 and the
-- program's own sentence, rather than silently touching no rows. The group
-- roles give the table rights; the trigger decides row by row.
-- Accounts are made, renamed, switched off and given passwords only by the
-- triggers and functions below, which run as the owner of the database and
-- write every such act to orv_konta_dziennik.

DO $$
BEGIN
    IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = 'tav_orv_uzytkownicy') THEN
        CREATE ROLE tav_orv_uzytkownicy NOLOGIN;
    END IF;
    IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = 'tav_orv_kierownicy') THEN
        CREATE ROLE tav_orv_kierownicy NOLOGIN IN ROLE tav_orv_uzytkownicy;
    END IF;
    IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = 'tav_orv_administratorzy') THEN
        CREATE ROLE tav_orv_administratorzy NOLOGIN IN ROLE tav_orv_kierownicy;
    END IF;
EXCEPTION WHEN insufficient_privilege THEN
    RAISE EXCEPTION 'Ten krok tworzy role grup użytkowników Orvalo; uruchom go jako rola z prawem CREATEROLE (np. postgres).';
END;
$$;

-- A SCRAM verifier passes through this column on its way to the server's
-- account and is never kept; it is longer than a SHA-1 digest. In server
-- mode the column stays empty.
ALTER TABLE uzytkownicy ALTER COLUMN uzt_haslo TYPE text, ALTER COLUMN uzt_haslo DROP NOT NULL;

CREATE TABLE orv_tryb_praw (
    otp_jeden     boolean     NOT NULL DEFAULT true,
    otp_tryb      text        NOT NULL DEFAULT 'wspolna',
    otp_zmieniono timestamptz NOT NULL DEFAULT now(),
    CONSTRAINT pk_orv_tryb_praw PRIMARY KEY (otp_jeden),
    CONSTRAINT ck_orv_tryb_praw_jeden CHECK (otp_jeden),
    CONSTRAINT ck_orv_tryb_praw_tryb CHECK (otp_tryb IN ('wspolna', 'migracja', 'serwer'))
);
INSERT INTO orv_tryb_praw DEFAULT VALUES;
COMMENT ON TABLE orv_tryb_praw IS 'Jak użytkownicy logują się do bazy: wspólna rola, przechodzenie na konta serwera, konta serwera.';

-- The server account of each user once one exists.
CREATE TABLE orv_konta (
    okt_fk_uzt          integer     NOT NULL,
    okt_rola            text        NOT NULL,
    okt_haslo_ustawiono timestamptz,
    CONSTRAINT pk_orv_konta PRIMARY KEY (okt_fk_uzt),
    CONSTRAINT uq_orv_konta_rola UNIQUE (okt_rola)
);

CREATE TABLE orv_konta_dziennik (
    okd_id        bigint      GENERATED ALWAYS AS IDENTITY,
    okd_czas      timestamptz NOT NULL DEFAULT clock_timestamp(),
    okd_kto       text        NOT NULL DEFAULT session_user,
    okd_konto     text,
    okd_czynnosc  text        NOT NULL,
    CONSTRAINT pk_orv_konta_dziennik PRIMARY KEY (okd_id)
);

CREATE FUNCTION f_orv_rola(p_login text) RETURNS text
LANGUAGE sql IMMUTABLE AS $$ SELECT 'tav_orv.' || p_login $$;

CREATE FUNCTION f_orv_uzt_id() RETURNS integer
LANGUAGE sql STABLE AS $$
    SELECT uzt_id FROM uzytkownicy
     WHERE session_user::text LIKE 'tav\_orv.%' AND uzt_login = substr(session_user::text, 9) AND uzt_zatrudniony
$$;

CREATE FUNCTION f_orv_admin(p_uzt integer) RETURNS boolean
LANGUAGE sql STABLE AS $$
    SELECT EXISTS (SELECT 1 FROM ov_uprawnienia_admin WHERE ovupradm_fk_uzt = p_uzt)
$$;

CREATE FUNCTION f_orv_moge(p_uzt integer, p_mgz integer) RETURNS boolean
LANGUAGE sql STABLE AS $$
    SELECT f_orv_admin(p_uzt)
        OR EXISTS (SELECT 1 FROM ov_uprawnienia_mgz WHERE ovuprmgz_fk_uzt = p_uzt AND ovuprmgz_fk_mgz = p_mgz)
$$;

CREATE FUNCTION f_orv_dziennik(p_konto text, p_czynnosc text) RETURNS void
LANGUAGE sql SECURITY DEFINER SET search_path = pg_catalog, public, pg_temp AS $$
    INSERT INTO orv_konta_dziennik (okd_konto, okd_czynnosc) VALUES (p_konto, p_czynnosc)
$$;

-- Group memberships of an account follow the rights tables.
CREATE FUNCTION f_konto_grupy(p_uzt integer) RETURNS void
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, public, pg_temp AS $$
DECLARE
    v_rola text := (SELECT okt_rola FROM orv_konta WHERE okt_fk_uzt = p_uzt);
    v_grupa text;
    v_chce boolean;
    v_jest boolean;
BEGIN
    IF v_rola IS NULL OR NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = v_rola) THEN
        RETURN;
    END IF;
    FOREACH v_grupa IN ARRAY ARRAY['tav_orv_uzytkownicy', 'tav_orv_kierownicy', 'tav_orv_administratorzy'] LOOP
        v_chce := CASE v_grupa
            WHEN 'tav_orv_uzytkownicy' THEN true
            WHEN 'tav_orv_kierownicy' THEN EXISTS (SELECT 1 FROM ov_uprawnienia_mgz WHERE ovuprmgz_fk_uzt = p_uzt)
            ELSE f_orv_admin(p_uzt) END;
        v_jest := EXISTS (SELECT 1 FROM pg_auth_members m
                           WHERE m.member = (SELECT oid FROM pg_roles WHERE rolname = v_rola)
                             AND m.roleid = (SELECT oid FROM pg_roles WHERE rolname = v_grupa));
        IF v_chce AND NOT v_jest THEN
            EXECUTE format('GRANT %I TO %I', v_grupa, v_rola);
            PERFORM f_orv_dziennik(v_rola, 'dodano do grupy ' || v_grupa);
        ELSIF v_jest AND NOT v_chce THEN
            EXECUTE format('REVOKE %I FROM %I', v_grupa, v_rola);
            PERFORM f_orv_dziennik(v_rola, 'usunięto z grupy ' || v_grupa);
        END IF;
    END LOOP;
END;
$$;

-- Makes or updates the server account of a user: name, password (a SCRAM
-- verifier, never clear text), whether it may sign in, groups.
CREATE FUNCTION f_konto_zapisz(p_uzt integer, p_login_przed text, p_login text, p_aktywny boolean,
                               p_weryfikator text) RETURNS void
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, public, pg_temp AS $$
DECLARE
    v_rola text := f_orv_rola(p_login);
    v_przed text := (SELECT okt_rola FROM orv_konta WHERE okt_fk_uzt = p_uzt);
    v_r record;
    v_haslo timestamptz;
    v_loguje boolean;
BEGIN
    IF length(v_rola) > 63 THEN
        RAISE EXCEPTION 'Login „%” jest za długi na konto serwera bazy danych (najwyżej 55 znaków).', p_login
            USING ERRCODE = '22001';
    END IF;
    IF v_przed IS NOT NULL AND v_przed <> v_rola AND EXISTS (SELECT 1 FROM pg_roles WHERE rolname = v_przed) THEN
        IF EXISTS (SELECT 1 FROM pg_roles WHERE rolname = v_rola) THEN
            RAISE EXCEPTION 'Konto serwera „%” już istnieje.', v_rola USING ERRCODE = '23505';
        END IF;
        EXECUTE format('ALTER ROLE %I RENAME TO %I', v_przed, v_rola);
        PERFORM f_orv_dziennik(v_rola, 'zmieniono nazwę konta z ' || v_przed);
    END IF;
    SELECT * INTO v_r FROM pg_roles WHERE rolname = v_rola;
    IF NOT FOUND THEN
        EXECUTE format('CREATE ROLE %I NOLOGIN', v_rola);
        PERFORM f_orv_dziennik(v_rola, 'utworzono konto');
    ELSIF v_r.rolsuper OR v_r.rolcreaterole OR v_r.rolcreatedb OR v_r.rolreplication OR v_r.rolbypassrls THEN
        -- A role of that name made by someone else is not taken over.
        RAISE EXCEPTION 'Rola „%” istnieje na serwerze z uprawnieniami administracyjnymi; nie może być kontem Orvalo.', v_rola
            USING ERRCODE = '42501';
    END IF;
    INSERT INTO orv_konta (okt_fk_uzt, okt_rola) VALUES (p_uzt, v_rola)
        ON CONFLICT (okt_fk_uzt) DO UPDATE SET okt_rola = EXCLUDED.okt_rola;
    IF p_weryfikator IS NOT NULL THEN
        IF p_weryfikator NOT LIKE 'SCRAM-SHA-256$%' THEN
            RAISE EXCEPTION 'Hasło konta przyjmowane jest tylko zaszyfrowane (SCRAM-SHA-256).' USING ERRCODE = '28P01';
        END IF;
        EXECUTE format('ALTER ROLE %I PASSWORD %L', v_rola, p_weryfikator);
        UPDATE orv_konta SET okt_haslo_ustawiono = now() WHERE okt_fk_uzt = p_uzt;
        PERFORM f_orv_dziennik(v_rola, 'ustawiono hasło');
    END IF;
    v_haslo := (SELECT okt_haslo_ustawiono FROM orv_konta WHERE okt_fk_uzt = p_uzt);
    v_loguje := p_aktywny AND v_haslo IS NOT NULL;
    IF v_loguje IS DISTINCT FROM (SELECT rolcanlogin FROM pg_roles WHERE rolname = v_rola) THEN
        EXECUTE format('ALTER ROLE %I %s', v_rola, CASE WHEN v_loguje THEN 'LOGIN' ELSE 'NOLOGIN' END);
        PERFORM f_orv_dziennik(v_rola, CASE WHEN v_loguje THEN 'konto może się logować' ELSE 'konto zablokowane' END);
    END IF;
    PERFORM f_konto_grupy(p_uzt);
END;
$$;

CREATE FUNCTION f_konto_usun(p_uzt integer) RETURNS void
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, public, pg_temp AS $$
DECLARE
    v_rola text := (SELECT okt_rola FROM orv_konta WHERE okt_fk_uzt = p_uzt);
BEGIN
    IF v_rola IS NULL THEN
        RETURN;
    END IF;
    DELETE FROM orv_konta WHERE okt_fk_uzt = p_uzt;
    IF EXISTS (SELECT 1 FROM pg_roles WHERE rolname = v_rola) THEN
        EXECUTE format('DROP ROLE %I', v_rola);
        PERFORM f_orv_dziennik(v_rola, 'usunięto konto');
    END IF;
END;
$$;

-- The account follows its user row. A SCRAM verifier written to uzt_haslo
-- becomes the account's password and leaves the row at once.
CREATE FUNCTION f_uzytkownicy_rola() RETURNS trigger
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, public, pg_temp AS $$
DECLARE
    v_tryb text := (SELECT otp_tryb FROM orv_tryb_praw);
    v_weryfikator text;
BEGIN
    IF v_tryb = 'wspolna' THEN
        RETURN CASE WHEN TG_OP = 'DELETE' THEN OLD ELSE NEW END;
    END IF;
    IF TG_OP = 'DELETE' THEN
        PERFORM f_konto_usun(OLD.uzt_id);
        RETURN OLD;
    END IF;
    IF NEW.uzt_haslo LIKE 'SCRAM-SHA-256$%' THEN
        v_weryfikator := NEW.uzt_haslo;
        NEW.uzt_haslo := NULL;
    ELSIF v_tryb = 'serwer' THEN
        NEW.uzt_haslo := NULL;
    END IF;
    IF TG_OP = 'UPDATE' AND v_weryfikator IS NULL AND NEW.uzt_login = OLD.uzt_login
       AND NEW.uzt_zatrudniony = OLD.uzt_zatrudniony AND EXISTS (SELECT 1 FROM orv_konta WHERE okt_fk_uzt = NEW.uzt_id) THEN
        RETURN NEW;
    END IF;
    PERFORM f_konto_zapisz(NEW.uzt_id, CASE WHEN TG_OP = 'UPDATE' THEN OLD.uzt_login END, NEW.uzt_login,
                           NEW.uzt_zatrudniony, v_weryfikator);
    RETURN NEW;
END;
$$;

CREATE TRIGGER t_uzytkownicy_rola BEFORE INSERT OR UPDATE OR DELETE ON uzytkownicy
    FOR EACH ROW EXECUTE FUNCTION f_uzytkownicy_rola();

CREATE FUNCTION f_uprawnienia_grupy() RETURNS trigger
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, public, pg_temp AS $$
DECLARE
    v_stary integer;
    v_nowy integer;
BEGIN
    IF (SELECT otp_tryb FROM orv_tryb_praw) = 'wspolna' THEN
        RETURN NULL;
    END IF;
    IF TG_OP <> 'INSERT' THEN
        v_stary := (to_jsonb(OLD) ->> TG_ARGV[0])::integer;
    END IF;
    IF TG_OP <> 'DELETE' THEN
        v_nowy := (to_jsonb(NEW) ->> TG_ARGV[0])::integer;
    END IF;
    IF v_stary IS NOT NULL THEN
        PERFORM f_konto_grupy(v_stary);
    END IF;
    IF v_nowy IS NOT NULL AND v_nowy IS DISTINCT FROM v_stary THEN
        PERFORM f_konto_grupy(v_nowy);
    END IF;
    -- Nobody could administer the database any more.
    IF TG_TABLE_NAME = 'ov_uprawnienia_admin' AND (SELECT otp_tryb FROM orv_tryb_praw) = 'serwer'
       AND NOT EXISTS (SELECT 1 FROM ov_uprawnienia_admin a JOIN uzytkownicy u ON u.uzt_id = a.ovupradm_fk_uzt
                        WHERE u.uzt_zatrudniony) THEN
        RAISE EXCEPTION 'W bazie musi pozostać co najmniej jeden aktywny administrator.' USING ERRCODE = 'OV025';
    END IF;
    RETURN NULL;
END;
$$;

CREATE TRIGGER t_ov_uprawnienia_admin_grupy AFTER INSERT OR UPDATE OR DELETE ON ov_uprawnienia_admin
    FOR EACH ROW EXECUTE FUNCTION f_uprawnienia_grupy('ovupradm_fk_uzt');
CREATE TRIGGER t_ov_uprawnienia_mgz_grupy AFTER INSERT OR UPDATE OR DELETE ON ov_uprawnienia_mgz
    FOR EACH ROW EXECUTE FUNCTION f_uprawnienia_grupy('ovuprmgz_fk_uzt');

-- A row of a warehouse the user may write: the warehouse it was in and the
-- one it goes to.
CREATE FUNCTION f_prawa_magazynu(p_uzt integer, p_old jsonb, p_new jsonb, p_kolumna text) RETURNS boolean
LANGUAGE sql STABLE AS $$
    SELECT (p_old IS NULL OR f_orv_moge(p_uzt, (p_old ->> p_kolumna)::integer))
       AND (p_new IS NULL OR (p_old ->> p_kolumna) IS NOT DISTINCT FROM (p_new ->> p_kolumna)
            OR f_orv_moge(p_uzt, (p_new ->> p_kolumna)::integer))
$$;

-- The rights of an account, written as the program's policies are:
--   'admin'        administrators only (warehouses, rights);
--   'uzytkownicy'  administrators; anyone their own password;
--   'wszyscy'      every user (places of use, employees, categories);
--   'lokalizacje', 'narzedzia', 'przesuniecia', 'wydania', 'naprawy':
--                  administrators and managers of the row's warehouse (a
--                  transfer is issued and cancelled at its source and
--                  received at its destination, whose manager then also
--                  writes the tool).
-- For an account the server also writes who made and who changed the row,
-- and who issued and who received a movement; the program cannot forge them.
-- Sessions that are no account's own (the shared role, the owner) pass.
CREATE FUNCTION f_prawa_serwera() RETURNS trigger
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
            WHEN 'zestawy' THEN f_prawa_magazynu(v_uzt, v_old, v_new, 'zst_fk_mgz')
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

DO $$
DECLARE
    v record;
BEGIN
    FOR v IN SELECT * FROM (VALUES
            ('magazyny', 'admin'), ('ov_uprawnienia_mgz', 'admin'), ('ov_uprawnienia_admin', 'admin'),
            ('uzytkownicy', 'uzytkownicy'),
            ('miejsca_uzytkowania', 'wszyscy'), ('pracownicy', 'wszyscy'), ('kategorie_narzedzi', 'wszyscy'),
            ('lokalizacje', 'lokalizacje'), ('narzedzia', 'narzedzia'), ('przesuniecia_mm', 'przesuniecia'),
            ('przypisane_narzedzia_pracownikom', 'wydania'), ('naprawy_przeglady', 'naprawy')) AS t(tabela, rodzaj)
    LOOP
        EXECUTE format('CREATE TRIGGER %I BEFORE INSERT OR UPDATE OR DELETE ON %I '
                       'FOR EACH ROW EXECUTE FUNCTION f_prawa_serwera(%L)',
                       't_' || v.tabela || '_prawa', v.tabela, v.rodzaj);
    END LOOP;
END;
$$;

-- Phase one of the move: every user gets an account without a password;
-- each gets the password at their next sign-in (f_konto_przenies) or from
-- an administrator.
CREATE FUNCTION f_prawa_rozpocznij_przejscie() RETURNS integer
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, public, pg_temp AS $$
DECLARE
    v_u record;
    v_ile integer := 0;
BEGIN
    IF (SELECT otp_tryb FROM orv_tryb_praw FOR UPDATE) <> 'wspolna' THEN
        RAISE EXCEPTION 'Przechodzenie na konta serwera już się rozpoczęło.' USING ERRCODE = '55000';
    END IF;
    UPDATE orv_tryb_praw SET otp_tryb = 'migracja', otp_zmieniono = now();
    FOR v_u IN SELECT uzt_id, uzt_login, uzt_zatrudniony FROM uzytkownicy ORDER BY uzt_id LOOP
        PERFORM f_konto_zapisz(v_u.uzt_id, NULL, v_u.uzt_login, v_u.uzt_zatrudniony, NULL);
        v_ile := v_ile + 1;
    END LOOP;
    PERFORM f_orv_dziennik(NULL, format('rozpoczęto przechodzenie na konta serwera (%s kont)', v_ile));
    RETURN v_ile;
END;
$$;

-- A user signing in the old way while the move lasts: the server compares
-- the digest itself and gives the account the password just typed (as a
-- SCRAM verifier). True when the account got it.
CREATE FUNCTION f_konto_przenies(p_login text, p_skrot text, p_weryfikator text) RETURNS boolean
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, public, pg_temp AS $$
DECLARE
    v_uzt integer;
BEGIN
    IF (SELECT otp_tryb FROM orv_tryb_praw) <> 'migracja' OR p_weryfikator NOT LIKE 'SCRAM-SHA-256$%' THEN
        RETURN false;
    END IF;
    SELECT uzt_id INTO v_uzt FROM uzytkownicy
     WHERE uzt_login = p_login AND uzt_haslo = p_skrot AND uzt_zatrudniony;
    IF v_uzt IS NULL THEN
        RETURN false;
    END IF;
    UPDATE uzytkownicy SET uzt_haslo = p_weryfikator WHERE uzt_id = v_uzt;
    PERFORM f_orv_dziennik(f_orv_rola(p_login), 'przeniesiono przy logowaniu');
    RETURN true;
END;
$$;

-- Phase two: the database leaves the shared role for good. Only an
-- administrator signed in with an own account (or the server's superuser)
-- may, and only while an active administrator can sign in afterwards.
CREATE FUNCTION f_prawa_przelacz() RETURNS void
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, public, pg_temp AS $$
DECLARE
    v_super boolean := (SELECT rolsuper FROM pg_roles WHERE rolname = session_user);
    v_uzt integer := f_orv_uzt_id();
    v_inne boolean;
BEGIN
    IF NOT v_super AND (v_uzt IS NULL OR NOT f_orv_admin(v_uzt)) THEN
        RAISE EXCEPTION 'Na prawa serwera przełącza bazę administrator zalogowany własnym kontem.' USING ERRCODE = '42501';
    END IF;
    IF (SELECT otp_tryb FROM orv_tryb_praw FOR UPDATE) <> 'migracja' THEN
        RAISE EXCEPTION 'Baza nie jest w trakcie przechodzenia na konta serwera.' USING ERRCODE = '55000';
    END IF;
    IF NOT EXISTS (SELECT 1 FROM ov_uprawnienia_admin a
                     JOIN uzytkownicy u ON u.uzt_id = a.ovupradm_fk_uzt
                     JOIN orv_konta k ON k.okt_fk_uzt = u.uzt_id
                    WHERE u.uzt_zatrudniony AND k.okt_haslo_ustawiono IS NOT NULL) THEN
        RAISE EXCEPTION 'Żaden aktywny administrator nie ma jeszcze hasła konta serwera; nikt nie mógłby administrować bazą.'
            USING ERRCODE = '55000';
    END IF;
    UPDATE orv_tryb_praw SET otp_tryb = 'serwer', otp_zmieniono = now();
    UPDATE uzytkownicy SET uzt_haslo = NULL WHERE uzt_haslo IS NOT NULL;

    IF EXISTS (SELECT 1 FROM pg_roles WHERE rolname = 'tav_orv_user') THEN
        REVOKE ALL ON ALL TABLES IN SCHEMA public FROM tav_orv_user;
        REVOKE ALL ON ALL SEQUENCES IN SCHEMA public FROM tav_orv_user;
        REVOKE ALL ON ALL FUNCTIONS IN SCHEMA public FROM tav_orv_user;
        REVOKE ALL ON SCHEMA public FROM tav_orv_user;
        EXECUTE format('REVOKE ALL ON DATABASE %I FROM tav_orv_user', current_database());
        -- The role is the server's: it signs in no more unless another
        -- database still uses it.
        SELECT EXISTS (SELECT 1 FROM pg_database d, aclexplode(d.datacl) a
                        WHERE d.datname <> current_database() AND d.datallowconn
                          AND a.grantee = (SELECT oid FROM pg_roles WHERE rolname = 'tav_orv_user')
                          AND a.privilege_type = 'CONNECT') INTO v_inne;
        IF NOT v_inne THEN
            ALTER ROLE tav_orv_user NOLOGIN;
        END IF;
        PERFORM pg_terminate_backend(pid) FROM pg_stat_activity
         WHERE usename = 'tav_orv_user' AND datname = current_database();
        PERFORM f_orv_dziennik('tav_orv_user', CASE WHEN v_inne THEN 'wspólna rola straciła dostęp do bazy'
                                                    ELSE 'wspólna rola straciła dostęp do bazy i prawo logowania' END);
    END IF;
    EXECUTE format('REVOKE CONNECT, TEMPORARY ON DATABASE %I FROM PUBLIC', current_database());
    EXECUTE format('GRANT CONNECT ON DATABASE %I TO tav_orv_uzytkownicy', current_database());
    -- Accounts have no business in the server's own databases.
    IF (SELECT rolsuper FROM pg_roles WHERE rolname = current_user) THEN
        REVOKE CONNECT ON DATABASE postgres FROM PUBLIC;
    END IF;
    PERFORM f_orv_dziennik(NULL, 'baza przełączona na prawa serwera');
END;
$$;

-- An account's groups as its user's rights say, called at each sign-in: a
-- database restored from a backup (or a copy) may hold other rights than
-- the cluster's memberships remember.
CREATE FUNCTION f_konto_moje_grupy() RETURNS void
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, public, pg_temp AS $$
DECLARE
    v_uzt integer := f_orv_uzt_id();
BEGIN
    IF v_uzt IS NOT NULL AND f_orv_rola((SELECT uzt_login FROM uzytkownicy WHERE uzt_id = v_uzt))
                             = (SELECT okt_rola FROM orv_konta WHERE okt_fk_uzt = v_uzt) THEN
        PERFORM f_konto_grupy(v_uzt);
    END IF;
END;
$$;

-- Used by create.sh, which sets demo and first passwords itself as the
-- superuser: the account of that user counts as having its password.
CREATE FUNCTION f_konto_haslo_ustawione(p_login text) RETURNS void
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, public, pg_temp AS $$
DECLARE
    v_uzt integer := (SELECT uzt_id FROM uzytkownicy WHERE uzt_login = p_login);
BEGIN
    UPDATE orv_konta SET okt_haslo_ustawiono = now() WHERE okt_fk_uzt = v_uzt;
    UPDATE uzytkownicy SET uzt_haslo = NULL WHERE uzt_id = v_uzt;
    PERFORM f_konto_zapisz(v_uzt, NULL, p_login, (SELECT uzt_zatrudniony FROM uzytkownicy WHERE uzt_id = v_uzt), NULL);
END;
$$;

-- Who has an account with a password, for the administrator's list; no
-- digest is shown, only whether one is still kept.
CREATE VIEW v_konta_serwera AS
SELECT u.uzt_id, u.uzt_login, u.uzt_imie, u.uzt_nazwisko, u.uzt_zatrudniony,
       k.okt_rola,
       k.okt_haslo_ustawiono,
       (k.okt_haslo_ustawiono IS NOT NULL) AS okt_przeniesione
  FROM uzytkownicy u
  LEFT JOIN orv_konta k ON k.okt_fk_uzt = u.uzt_id;

-- Notices about changes come from the triggers alone.
ALTER FUNCTION f_powiadom_zmiany() SECURITY DEFINER SET search_path = pg_catalog, public, pg_temp;

DO $$
BEGIN
    IF current_setting('is_superuser') = 'on' THEN
        REVOKE EXECUTE ON FUNCTION pg_notify(text, text) FROM PUBLIC;
    ELSE
        RAISE NOTICE 'Stanowiska mogą nadal wysyłać powiadomienia funkcją pg_notify: odebrać im to może tylko administrator serwera.';
    END IF;
END;
$$;

REVOKE EXECUTE ON FUNCTION f_orv_rola(text), f_orv_uzt_id(), f_orv_admin(integer),
    f_orv_moge(integer, integer), f_prawa_magazynu(integer, jsonb, jsonb, text), f_orv_dziennik(text, text), f_konto_grupy(integer),
    f_konto_zapisz(integer, text, text, boolean, text), f_konto_usun(integer), f_uzytkownicy_rola(),
    f_uprawnienia_grupy(), f_prawa_serwera(), f_prawa_rozpocznij_przejscie(),
    f_konto_przenies(text, text, text), f_prawa_przelacz(), f_konto_haslo_ustawione(text), f_konto_moje_grupy() FROM PUBLIC;

-- The shared role: the mode, the move, and the accounts' list.
GRANT SELECT ON orv_tryb_praw, v_konta_serwera TO tav_orv_user;
GRANT EXECUTE ON FUNCTION f_prawa_rozpocznij_przejscie(), f_konto_przenies(text, text, text) TO tav_orv_user;

-- Accounts. Column rights for UPDATE: a whole-table LOCK needs table-wide
-- UPDATE, DELETE or TRUNCATE.
DO $$
DECLARE
    v record;
    v_kolumny text;
BEGIN
    EXECUTE format('GRANT CONNECT ON DATABASE %I TO tav_orv_uzytkownicy', current_database());
    GRANT USAGE ON SCHEMA public TO tav_orv_uzytkownicy;
    GRANT SELECT ON magazyny, lokalizacje, miejsca_uzytkowania, pracownicy, kategorie_narzedzi, narzedzia,
        ov_uprawnienia_mgz, ov_uprawnienia_admin, przesuniecia_mm, przypisane_narzedzia_pracownikom,
        naprawy_przeglady, stan_techniczny_narzedzi, zmiany_schematu_bazy, orv_tryb_praw, uzytkownicy,
        v_konta_serwera
    TO tav_orv_uzytkownicy;
    FOR v IN SELECT c.relname FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace
              WHERE n.nspname = 'public' AND c.relkind = 'v' AND c.relname LIKE 'v\_%' LOOP
        EXECUTE format('GRANT SELECT ON %I TO tav_orv_uzytkownicy', v.relname);
    END LOOP;
    GRANT SELECT ON orv_konta_dziennik TO tav_orv_administratorzy;
    FOR v IN SELECT * FROM (VALUES
            ('miejsca_uzytkowania', 'tav_orv_uzytkownicy'), ('pracownicy', 'tav_orv_uzytkownicy'),
            ('kategorie_narzedzi', 'tav_orv_uzytkownicy'),
            ('lokalizacje', 'tav_orv_kierownicy'), ('narzedzia', 'tav_orv_kierownicy'),
            ('przesuniecia_mm', 'tav_orv_kierownicy'), ('przypisane_narzedzia_pracownikom', 'tav_orv_kierownicy'),
            ('naprawy_przeglady', 'tav_orv_kierownicy'),
            ('magazyny', 'tav_orv_administratorzy'), ('uzytkownicy', 'tav_orv_administratorzy'),
            ('ov_uprawnienia_mgz', 'tav_orv_administratorzy'), ('ov_uprawnienia_admin', 'tav_orv_administratorzy'))
            AS t(tabela, grupa)
    LOOP
        SELECT string_agg(quote_ident(attname), ', ') INTO v_kolumny FROM pg_attribute
         WHERE attrelid = v.tabela::regclass AND attnum > 0 AND NOT attisdropped AND attidentity = '';
        EXECUTE format('GRANT INSERT, DELETE, UPDATE (%s) ON %I TO %I', v_kolumny, v.tabela, v.grupa);
        EXECUTE format('GRANT USAGE ON SEQUENCE %s TO %I',
                       (SELECT pg_get_serial_sequence(quote_ident(v.tabela), a.attname)
                          FROM pg_attribute a WHERE a.attrelid = v.tabela::regclass AND a.attidentity <> ''),
                       v.grupa);
    END LOOP;
    -- Everyone changes their own password (the trigger keeps it to their row).
    GRANT UPDATE (uzt_haslo, fk_uzt_zmodyfikowano) ON uzytkownicy TO tav_orv_uzytkownicy;
    GRANT EXECUTE ON FUNCTION f_prawa_przelacz() TO tav_orv_administratorzy;
    GRANT EXECUTE ON FUNCTION f_konto_moje_grupy() TO tav_orv_uzytkownicy;
END;
$$;
