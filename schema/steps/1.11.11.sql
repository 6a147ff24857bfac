-- opis: Historia zmian każdego wpisu, zapisywana przez bazę danych
-- Every write to a register table leaves one entry: the table, the key, the
-- operation, for an update only the columns that changed (old and new), who,
-- from which workstation and when. The database writes it, not the program;
-- no role but the owner may change or remove an entry, and the only way an
-- entry leaves is the administrator's archive (f_historia_archiwizuj), which
-- records itself.
-- Who: the account's own user when the session is an account (proven by the
-- server); otherwise the user the program states for its session in the
-- setting orv.uzytkownik (marked as stated, not proven).
-- Photos and password digests never enter the history, only that they
-- changed.

CREATE TABLE historia_zmian (
    hz_id          bigint      GENERATED ALWAYS AS IDENTITY,
    hz_czas        timestamptz NOT NULL DEFAULT clock_timestamp(),
    hz_tabela      text        NOT NULL,
    hz_klucz       integer     NOT NULL,
    hz_operacja    char(1)     NOT NULL,
    hz_zmiany      jsonb       NOT NULL,
    hz_fk_nrz      integer,
    hz_fk_uzt      integer,
    hz_uzytkownik  text,
    hz_poswiadczone boolean    NOT NULL,
    hz_stanowisko  text,
    hz_adres       inet,
    CONSTRAINT pk_historia_zmian PRIMARY KEY (hz_id),
    CONSTRAINT ck_historia_zmian_operacja CHECK (hz_operacja IN ('I', 'U', 'D', 'A'))
);
COMMENT ON TABLE historia_zmian IS 'Historia zmian wpisów ewidencji; zapisuje ją baza danych, nikt jej nie poprawia.';
-- A record's entries, a tool's life and a period, newest first. Every
-- write pays for each index here, so there are no more (the user is
-- searched for by a part of the login, which no index serves).
CREATE INDEX ix_historia_zmian_wpis ON historia_zmian (hz_tabela, hz_klucz, hz_id);
CREATE INDEX ix_historia_zmian_narzedzie ON historia_zmian (hz_fk_nrz, hz_id) WHERE hz_fk_nrz IS NOT NULL;
CREATE INDEX ix_historia_zmian_czas ON historia_zmian (hz_czas, hz_id);

-- Captions of the fields, as the registers show them; the history reads
-- them from here.
DO $$
DECLARE
    r record;
BEGIN
    FOR r IN SELECT * FROM (VALUES
        ('magazyny', 'mgz_symbol', 'Symbol'), ('magazyny', 'mgz_nazwa', 'Nazwa'), ('magazyny', 'mgz_adres', 'Adres'),
        ('magazyny', 'mgz_opis', 'Opis'), ('magazyny', 'mgz_aktywny', 'Aktywny'),
        ('lokalizacje', 'lkl_fk_mgz', 'Magazyn'), ('lokalizacje', 'lkl_nazwa', 'Nazwa'),
        ('miejsca_uzytkowania', 'muz_kod', 'Kod'), ('miejsca_uzytkowania', 'muz_nazwa', 'Nazwa'),
        ('miejsca_uzytkowania', 'muz_aktywny', 'Aktywny'),
        ('pracownicy', 'prc_imie', 'Imię'), ('pracownicy', 'prc_nazwisko', 'Nazwisko'),
        ('pracownicy', 'prc_zatrudniony', 'Zatrudniony'), ('pracownicy', 'prc_tel_kontaktowy', 'Telefon kontaktowy'),
        ('pracownicy', 'prc_stanowisko', 'Stanowisko'), ('pracownicy', 'prc_notatka', 'Notatka'),
        ('kategorie_narzedzi', 'ktr_nrz_nazwa', 'Nazwa'), ('kategorie_narzedzi', 'ktr_nrz_komentarz', 'Komentarz'),
        ('kategorie_narzedzi', 'ktr_nrz_przeglad_miesiace', 'Przegląd co (mies.)'),
        ('narzedzia', 'nrz_kod', 'Kod'), ('narzedzia', 'nrz_nazwa', 'Nazwa'),
        ('narzedzia', 'nrz_nr_ewidencyjny', 'Numer ewidencyjny'), ('narzedzia', 'nrz_nr_seryjny', 'Numer seryjny'),
        ('narzedzia', 'nrz_kod_kreskowy', 'Kod kreskowy'), ('narzedzia', 'nrz_fk_mgz', 'Magazyn'),
        ('narzedzia', 'nrz_fk_lkl', 'Lokalizacja'), ('narzedzia', 'nrz_fk_ktr_nrz', 'Kategoria'),
        ('narzedzia', 'nrz_fk_stn', 'Stan techniczny'), ('narzedzia', 'nrz_wartosc', 'Wartość'),
        ('narzedzia', 'nrz_zdjecie', 'Zdjęcie'), ('narzedzia', 'nrz_uwagi', 'Uwagi'),
        ('narzedzia', 'nrz_skladane', 'Składane'), ('narzedzia', 'nrz_fk_nrz', 'Część narzędzia'),
        ('narzedzia', 'nrz_przeglad', 'Następny przegląd'), ('narzedzia', 'nrz_przyjete_na_stan', 'Na stanie magazynu'),
        ('narzedzia', 'nrz_zlikwidowano', 'Zlikwidowane'), ('narzedzia', 'nrz_zlikwidowano_uwagi', 'Uwagi do likwidacji'),
        ('narzedzia', 'nrz_przeglad_miesiace', 'Przegląd co (mies.)'),
        ('uzytkownicy', 'uzt_login', 'Login'), ('uzytkownicy', 'uzt_haslo', 'Hasło'), ('uzytkownicy', 'uzt_imie', 'Imię'),
        ('uzytkownicy', 'uzt_nazwisko', 'Nazwisko'), ('uzytkownicy', 'uzt_tel_kontaktowy', 'Telefon kontaktowy'),
        ('uzytkownicy', 'uzt_notatka', 'Notatka'), ('uzytkownicy', 'uzt_zatrudniony', 'Zatrudniony'),
        ('ov_uprawnienia_mgz', 'ovuprmgz_fk_uzt', 'Użytkownik'), ('ov_uprawnienia_mgz', 'ovuprmgz_fk_mgz', 'Magazyn'),
        ('ov_uprawnienia_admin', 'ovupradm_fk_uzt', 'Administrator'),
        ('przesuniecia_mm', 'psnmm_fk_nrz', 'Narzędzie'), ('przesuniecia_mm', 'psnmm_fk_mgz_src', 'Magazyn źródłowy'),
        ('przesuniecia_mm', 'psnmm_fk_mgz_dst', 'Magazyn docelowy'), ('przesuniecia_mm', 'psnmm_fk_uzt_src', 'Wydał'),
        ('przesuniecia_mm', 'psnmm_fk_uzt_dst', 'Przyjął'), ('przesuniecia_mm', 'psnmm_data_wydanie', 'Data wydania'),
        ('przesuniecia_mm', 'psnmm_data_przyjecie', 'Data przyjęcia'),
        ('przesuniecia_mm', 'psnmm_uwagi_wydanie', 'Uwagi do wydania'),
        ('przesuniecia_mm', 'psnmm_uwagi_przyjecie', 'Uwagi do przyjęcia'), ('przesuniecia_mm', 'psnmm_status', 'Status'),
        ('przypisane_narzedzia_pracownikom', 'pnp_fk_nrz', 'Narzędzie'),
        ('przypisane_narzedzia_pracownikom', 'pnp_fk_prc', 'Pracownik'),
        ('przypisane_narzedzia_pracownikom', 'pnp_fk_mgz', 'Magazyn'),
        ('przypisane_narzedzia_pracownikom', 'pnp_fk_muz', 'Miejsce użytkowania'),
        ('przypisane_narzedzia_pracownikom', 'pnp_fk_uzt_wyd', 'Wydał'),
        ('przypisane_narzedzia_pracownikom', 'pnp_fk_uzt_prz', 'Przyjął'),
        ('przypisane_narzedzia_pracownikom', 'pnp_data_wydanie', 'Data wydania'),
        ('przypisane_narzedzia_pracownikom', 'pnp_data_przyjecie', 'Data przyjęcia'),
        ('przypisane_narzedzia_pracownikom', 'pnp_fk_stn_wydanie', 'Stan narzędzia - wydanie'),
        ('przypisane_narzedzia_pracownikom', 'pnp_fk_stn_przyjecie', 'Stan narzędzia - przyjęcie'),
        ('przypisane_narzedzia_pracownikom', 'pnp_uwagi_wydanie', 'Uwagi - wydanie'),
        ('przypisane_narzedzia_pracownikom', 'pnp_uwagi_przyjecie', 'Uwagi - przyjęcie'),
        ('przypisane_narzedzia_pracownikom', 'pnp_status', 'Status'),
        ('naprawy_przeglady', 'np_typ', 'Rodzaj'), ('naprawy_przeglady', 'np_fk_nrz', 'Narzędzie'),
        ('naprawy_przeglady', 'np_fk_mgz', 'Magazyn'), ('naprawy_przeglady', 'np_fk_uzt_wyd', 'Wydał'),
        ('naprawy_przeglady', 'np_fk_uzt_prz', 'Przyjął'), ('naprawy_przeglady', 'np_data_wyd', 'Data wydania'),
        ('naprawy_przeglady', 'np_data_prz', 'Data przyjęcia'), ('naprawy_przeglady', 'np_fk_stn_wyd', 'Stan narzędzia - wydanie'),
        ('naprawy_przeglady', 'np_fk_stn_prz', 'Stan narzędzia - przyjęcie'), ('naprawy_przeglady', 'np_uwagi_wyd', 'Uwagi - wydanie'),
        ('naprawy_przeglady', 'np_uwagi_prz', 'Uwagi - przyjęcie'), ('naprawy_przeglady', 'np_status', 'Status'),
        ('magazyny', 'systemowy', 'Systemowy')) AS v(tabela, kolumna, podpis)
    LOOP
        EXECUTE format('COMMENT ON COLUMN %I.%I IS %L', r.tabela, r.kolumna, r.podpis);
    END LOOP;
END;
$$;

-- One entry. The user: the account's, or the one the program states. The
-- row triggers below write the same way, inline.
CREATE FUNCTION f_historia_zapisz(p_tabela text, p_klucz integer, p_operacja char, p_zmiany jsonb, p_nrz integer)
RETURNS bigint
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, public, pg_temp AS $$
DECLARE
    v_uzt integer;
    v_login text;
    v_pewne boolean := true;
    v_podany text;
    v_id bigint;
BEGIN
    IF session_user::text LIKE 'tav\_orv.%' THEN
        v_login := substr(session_user::text, 9);
        SELECT uzt_id INTO v_uzt FROM uzytkownicy WHERE uzt_login = v_login;
    ELSE
        v_podany := current_setting('orv.uzytkownik', true);
        IF v_podany ~ '^[0-9]{1,9}$' THEN
            v_uzt := v_podany::integer;
            SELECT uzt_login INTO v_login FROM uzytkownicy WHERE uzt_id = v_uzt;
            v_pewne := false;
        ELSIF session_user::text = 'tav_orv_user' THEN
            -- The shared role that named nobody: who it was is not known.
            v_pewne := false;
        ELSE
            -- A script of the server's administrator, as that role.
            v_login := session_user::text;
        END IF;
    END IF;
    INSERT INTO historia_zmian (hz_tabela, hz_klucz, hz_operacja, hz_zmiany, hz_fk_nrz, hz_fk_uzt, hz_uzytkownik,
                                hz_poswiadczone, hz_stanowisko, hz_adres)
    VALUES (p_tabela, p_klucz, p_operacja, p_zmiany, p_nrz, v_uzt, v_login, v_pewne,
            current_setting('application_name', true), inet_client_addr())
    RETURNING hz_id INTO v_id;
    RETURN v_id;
END;
$$;

-- The row triggers, one function per table, written out column by column
-- so that a write pays for no more than its own comparisons: an update
-- keeps only what changed ([old, new]); an insert or a delete keeps the
-- row's filled fields. Audit columns are left out (every update changes
-- them), and so are the photo and the password, of which only the fact of
-- a change is kept (a photo by a trigger of its own, fired only when the
-- photo is written).
-- A step that adds a column to a register table calls it again for that
-- table, so that the history follows the new column too.
CREATE FUNCTION f_historia_generuj(p_tabela text, p_klucz text, p_narzedzie text) RETURNS void
LANGUAGE plpgsql AS $$
DECLARE
    t record;
    v_kolumny text[];
    v_zmiana text;
    v_wiersz_new text;
    v_wiersz_old text;
    v_sekretne text[] := ARRAY['nrz_zdjecie', 'uzt_haslo'];
    v_pomijane text[] := ARRAY['zmodyfikowano', 'fk_uzt_zmodyfikowano', 'stworzono', 'fk_uzt_stworzono'];
    v_nrz_new text;
    v_nrz_old text;
BEGIN
    SELECT p_tabela AS tabela, p_klucz AS klucz, p_narzedzie AS narzedzie INTO t;
        -- The key never changes and names the entry already.
        SELECT array_agg(attname::text ORDER BY attnum) INTO v_kolumny FROM pg_attribute
         WHERE attrelid = t.tabela::regclass AND attnum > 0 AND NOT attisdropped
           AND attname::text <> ALL (v_pomijane) AND attname::text <> ALL (v_sekretne) AND attname::text <> t.klucz;
        SELECT string_agg(format('IF NEW.%1$I IS DISTINCT FROM OLD.%1$I THEN v_z := v_z || jsonb_build_object(%1$L, '
                                 'jsonb_build_array(OLD.%1$I, NEW.%1$I)); END IF;', k), E'\n        ')
          INTO v_zmiana FROM unnest(v_kolumny) k;
        SELECT 'jsonb_strip_nulls(jsonb_build_object(' || string_agg(format('%L, NEW.%I', k, k), ', ') || '))',
               'jsonb_strip_nulls(jsonb_build_object(' || string_agg(format('%L, OLD.%I', k, k), ', ') || '))'
          INTO v_wiersz_new, v_wiersz_old FROM unnest(v_kolumny) k WHERE k <> 'systemowy';
        IF t.tabela = 'uzytkownicy' THEN
            v_zmiana := v_zmiana || E'\n        IF NEW.uzt_haslo IS DISTINCT FROM OLD.uzt_haslo AND NEW.uzt_haslo IS NOT NULL THEN '
                                    'v_z := v_z || jsonb_build_object(''uzt_haslo'', ''zmieniono''); END IF;';
        END IF;
        v_nrz_new := CASE WHEN t.narzedzie IS NULL THEN 'NULL' ELSE format('NEW.%I', t.narzedzie) END;
        v_nrz_old := CASE WHEN t.narzedzie IS NULL THEN 'NULL' ELSE format('OLD.%I', t.narzedzie) END;
        -- The entry is written here, not through f_historia_zapisz: one
        -- function call less on every write.
        EXECUTE format($f$
CREATE OR REPLACE FUNCTION %1$I() RETURNS trigger
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, public, pg_temp AS $b$
DECLARE
    v_z jsonb := '{}';
    v_id bigint;
    v_uzt integer;
    v_login text;
    v_pewne boolean := true;
    v_podany text;
BEGIN
    IF TG_OP = 'UPDATE' THEN
        %2$s
        IF v_z = '{}' THEN
            %9$s
            RETURN NULL;
        END IF;
    ELSIF TG_OP = 'INSERT' THEN
        v_z := %6$s;
    ELSE
        v_z := %7$s;
    END IF;
    IF session_user::text LIKE 'tav\_orv.%%' THEN
        v_login := substr(session_user::text, 9);
        SELECT uzt_id INTO v_uzt FROM uzytkownicy WHERE uzt_login = v_login;
    ELSE
        v_podany := current_setting('orv.uzytkownik', true);
        IF v_podany ~ '^[0-9]{1,9}$' THEN
            v_uzt := v_podany::integer;
            SELECT uzt_login INTO v_login FROM uzytkownicy WHERE uzt_id = v_uzt;
            v_pewne := false;
        ELSIF session_user::text = 'tav_orv_user' THEN
            v_pewne := false;
        ELSE
            v_login := session_user::text;
        END IF;
    END IF;
    INSERT INTO historia_zmian (hz_tabela, hz_klucz, hz_operacja, hz_zmiany, hz_fk_nrz, hz_fk_uzt, hz_uzytkownik,
                                hz_poswiadczone, hz_stanowisko, hz_adres)
    VALUES (%3$L, CASE WHEN TG_OP = 'DELETE' THEN OLD.%4$I ELSE NEW.%4$I END, left(TG_OP, 1), v_z,
            (CASE WHEN TG_OP = 'DELETE' THEN %8$s ELSE %5$s END)::integer, v_uzt, v_login, v_pewne,
            current_setting('application_name', true), inet_client_addr())
    RETURNING hz_id INTO v_id;
    %10$s
    RETURN NULL;
END;
$b$;
$f$, 'f_historia_' || t.tabela, v_zmiana, t.tabela, t.klucz, v_nrz_new, v_wiersz_new, v_wiersz_old, v_nrz_old,
   -- The photo's own trigger adds to this entry (or makes its own).
   CASE WHEN t.tabela = 'narzedzia' THEN 'PERFORM set_config(''orv.historia_wpis'', ''0'', true);' ELSE '' END,
   CASE WHEN t.tabela = 'narzedzia' THEN 'PERFORM set_config(''orv.historia_wpis'', v_id::text, true);' ELSE '' END);
        EXECUTE format('REVOKE EXECUTE ON FUNCTION %I() FROM PUBLIC', 'f_historia_' || t.tabela);
        EXECUTE format('DROP TRIGGER IF EXISTS %I ON %I', 't_' || t.tabela || '_zapis_historii', t.tabela);
        EXECUTE format('CREATE TRIGGER %I AFTER INSERT OR UPDATE OR DELETE ON %I FOR EACH ROW EXECUTE FUNCTION %I()',
                       't_' || t.tabela || '_zapis_historii', t.tabela, 'f_historia_' || t.tabela);
END;
$$;

REVOKE EXECUTE ON FUNCTION f_historia_generuj(text, text, text) FROM PUBLIC;
SELECT f_historia_generuj(tabela, klucz, narzedzie) FROM (VALUES
        ('magazyny', 'mgz_id', NULL), ('lokalizacje', 'lkl_id', NULL), ('miejsca_uzytkowania', 'muz_id', NULL),
        ('pracownicy', 'prc_id', NULL), ('kategorie_narzedzi', 'ktr_nrz_id', NULL), ('narzedzia', 'nrz_id', 'nrz_id'),
        ('uzytkownicy', 'uzt_id', NULL), ('ov_uprawnienia_mgz', 'ovuprmgz_id', NULL),
        ('ov_uprawnienia_admin', 'ovupradm_id', NULL), ('przesuniecia_mm', 'psnmm_id', 'psnmm_fk_nrz'),
        ('przypisane_narzedzia_pracownikom', 'pnp_id', 'pnp_fk_nrz'), ('naprawy_przeglady', 'np_id', 'np_fk_nrz'))
        AS v(tabela, klucz, narzedzie);

-- Fired only by an UPDATE that writes the photo: that it was added,
-- changed or removed, never its contents.
CREATE FUNCTION f_historia_narzedzia_zdjecie() RETURNS trigger
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, public, pg_temp AS $$
DECLARE
    v_slowo text;
    v_wpis bigint := nullif(current_setting('orv.historia_wpis', true), '')::bigint;
BEGIN
    IF OLD.nrz_zdjecie IS NULL AND NEW.nrz_zdjecie IS NULL THEN
        RETURN NULL;
    END IF;
    v_slowo := CASE WHEN NEW.nrz_zdjecie IS NULL THEN 'usunięto'
                    WHEN OLD.nrz_zdjecie IS NULL THEN 'dodano' ELSE 'zmieniono' END;
    UPDATE historia_zmian SET hz_zmiany = hz_zmiany || jsonb_build_object('nrz_zdjecie', v_slowo)
     WHERE hz_id = v_wpis AND hz_tabela = 'narzedzia' AND hz_klucz = NEW.nrz_id;
    IF NOT FOUND THEN
        PERFORM f_historia_zapisz('narzedzia', NEW.nrz_id, 'U', jsonb_build_object('nrz_zdjecie', v_slowo), NEW.nrz_id);
    END IF;
    RETURN NULL;
END;
$$;
CREATE TRIGGER t_narzedzia_zapis_historii_zdjecie AFTER UPDATE OF nrz_zdjecie ON narzedzia
    FOR EACH ROW EXECUTE FUNCTION f_historia_narzedzia_zdjecie();

-- ---- Reading the history in Polish ----

CREATE FUNCTION f_historia_tabela(p_tabela text) RETURNS text
LANGUAGE sql IMMUTABLE AS $$
    SELECT CASE p_tabela
        WHEN 'magazyny' THEN 'Magazyny' WHEN 'lokalizacje' THEN 'Lokalizacje'
        WHEN 'miejsca_uzytkowania' THEN 'Miejsca użytkowania' WHEN 'pracownicy' THEN 'Pracownicy'
        WHEN 'kategorie_narzedzi' THEN 'Kategorie narzędzi' WHEN 'narzedzia' THEN 'Narzędzia'
        WHEN 'uzytkownicy' THEN 'Użytkownicy' WHEN 'ov_uprawnienia_mgz' THEN 'Kierownicy magazynów'
        WHEN 'ov_uprawnienia_admin' THEN 'Prawa administratora' WHEN 'przesuniecia_mm' THEN 'Przesunięcia MM'
        WHEN 'przypisane_narzedzia_pracownikom' THEN 'Przypisane narzędzia'
        WHEN 'naprawy_przeglady' THEN 'Naprawy i przeglądy' WHEN 'historia_zmian' THEN 'Historia zmian'
        WHEN 'orv_reguly_bazy' THEN 'Reguły bazy danych' WHEN 'zestawy' THEN 'Zestawy'
        ELSE p_tabela END
$$;

-- A value as the registers show it: keys by the names of what they point
-- at, dates and money in Polish form, flags in words.
CREATE FUNCTION f_historia_wartosc(p_tabela text, p_kolumna text, p_wartosc jsonb) RETURNS text
LANGUAGE plpgsql STABLE AS $$
DECLARE
    v_cel text;
    v_tekst text := p_wartosc #>> '{}';
    v_nazwa text;
BEGIN
    IF p_wartosc IS NULL OR jsonb_typeof(p_wartosc) = 'null' THEN
        RETURN '—';
    END IF;
    IF p_kolumna IN ('nrz_zdjecie', 'uzt_haslo') THEN
        RETURN v_tekst;
    END IF;
    IF jsonb_typeof(p_wartosc) = 'boolean' THEN
        IF p_kolumna LIKE '%status' THEN
            RETURN CASE WHEN p_wartosc = 'true' THEN 'Zakończono' ELSE 'W trakcie' END;
        END IF;
        RETURN CASE WHEN p_wartosc = 'true' THEN 'tak' ELSE 'nie' END;
    END IF;
    IF p_kolumna = 'np_typ' THEN
        RETURN CASE v_tekst WHEN '0' THEN 'naprawa' WHEN '1' THEN 'przegląd' ELSE v_tekst END;
    END IF;
    IF p_kolumna = 'nrz_wartosc' THEN
        RETURN translate(to_char(v_tekst::numeric, 'FM999,999,999,990.00'), ',.', ' ,') || ' zł';
    END IF;
    IF v_tekst ~ '^\d{4}-\d{2}-\d{2}$' THEN
        RETURN to_char(v_tekst::date, 'DD.MM.YYYY');
    END IF;
    -- A key: the table the column points at names it.
    SELECT cl.relname INTO v_cel
      FROM pg_constraint c
      JOIN pg_class cl ON cl.oid = c.confrelid
      JOIN pg_attribute a ON a.attrelid = c.conrelid AND a.attnum = c.conkey[1]
     WHERE c.conrelid = to_regclass(p_tabela) AND c.contype = 'f' AND a.attname = p_kolumna
     LIMIT 1;
    IF v_cel IS NULL OR v_tekst !~ '^\d+$' THEN
        RETURN v_tekst;
    END IF;
    v_nazwa := CASE v_cel
        WHEN 'magazyny' THEN (SELECT mgz_symbol FROM magazyny WHERE mgz_id = v_tekst::integer)
        WHEN 'lokalizacje' THEN (SELECT lkl_nazwa FROM lokalizacje WHERE lkl_id = v_tekst::integer)
        WHEN 'miejsca_uzytkowania' THEN (SELECT muz_nazwa FROM miejsca_uzytkowania WHERE muz_id = v_tekst::integer)
        WHEN 'pracownicy' THEN (SELECT prc_imie || ' ' || prc_nazwisko FROM pracownicy WHERE prc_id = v_tekst::integer)
        WHEN 'kategorie_narzedzi' THEN (SELECT ktr_nrz_nazwa FROM kategorie_narzedzi WHERE ktr_nrz_id = v_tekst::integer)
        WHEN 'stan_techniczny_narzedzi' THEN (SELECT stn_nazwa FROM stan_techniczny_narzedzi WHERE stn_id = v_tekst::integer)
        WHEN 'uzytkownicy' THEN (SELECT uzt_login FROM uzytkownicy WHERE uzt_id = v_tekst::integer)
        WHEN 'narzedzia' THEN (SELECT nrz_kod FROM narzedzia WHERE nrz_id = v_tekst::integer)
    END;
    RETURN coalesce(v_nazwa, v_tekst);
END;
$$;

-- What was done, in words: a movement says what happened to the tool.
CREATE FUNCTION f_historia_czynnosc(p_tabela text, p_klucz integer, p_operacja char, p_zmiany jsonb) RETURNS text
LANGUAGE sql STABLE AS $$
    SELECT CASE
        WHEN p_operacja = 'A' THEN 'zarchiwizowano i usunięto wpisy historii'
        WHEN p_tabela = 'przypisane_narzedzia_pracownikom' AND p_operacja = 'I' THEN
            'wydano pracownikowi ' || f_historia_wartosc(p_tabela, 'pnp_fk_prc', p_zmiany -> 'pnp_fk_prc')
        WHEN p_tabela = 'przypisane_narzedzia_pracownikom' AND p_zmiany #>> '{pnp_status,1}' = 'true' THEN
            'przyjęto od pracownika'
        WHEN p_tabela = 'przesuniecia_mm' AND p_operacja = 'I' THEN
            'wydano na magazyn ' || f_historia_wartosc(p_tabela, 'psnmm_fk_mgz_dst', p_zmiany -> 'psnmm_fk_mgz_dst')
        WHEN p_tabela = 'przesuniecia_mm' AND p_zmiany #>> '{psnmm_status,1}' = 'true' THEN 'przyjęto na magazyn'
        WHEN p_tabela = 'przesuniecia_mm' AND p_operacja = 'D' THEN 'anulowano przesunięcie'
        WHEN p_tabela = 'naprawy_przeglady' AND p_operacja = 'I' THEN
            CASE WHEN p_zmiany ->> 'np_typ' = '1' THEN 'wysłano na przegląd' ELSE 'wysłano do naprawy' END
        WHEN p_tabela = 'naprawy_przeglady' AND p_zmiany #>> '{np_status,1}' = 'true' THEN
            CASE WHEN (SELECT np_typ FROM naprawy_przeglady WHERE np_id = p_klucz) = 1
                 THEN 'przyjęto z przeglądu' ELSE 'przyjęto z naprawy' END
        WHEN p_operacja = 'I' THEN 'dodano'
        WHEN p_operacja = 'D' THEN 'usunięto'
        ELSE 'zmieniono' END
$$;

-- The changes, field by field: "Magazyn: MG_GLOWNY → MG_BUDOWA1; Wartość: …".
CREATE FUNCTION f_historia_opis(p_tabela text, p_operacja char, p_zmiany jsonb) RETURNS text
LANGUAGE sql STABLE AS $$
    SELECT string_agg(
             coalesce(col_description(to_regclass(p_tabela), a.attnum), e.key) || ': ' ||
             CASE WHEN p_operacja = 'U' AND jsonb_typeof(e.value) = 'array'
                  THEN f_historia_wartosc(p_tabela, e.key, e.value -> 0) || ' → ' || f_historia_wartosc(p_tabela, e.key, e.value -> 1)
                  ELSE f_historia_wartosc(p_tabela, e.key, e.value) END,
             '; ' ORDER BY a.attnum NULLS LAST, e.key)
      FROM jsonb_each(p_zmiany) e
      LEFT JOIN pg_attribute a ON a.attrelid = to_regclass(p_tabela) AND a.attname = e.key
     WHERE p_operacja <> 'A'
$$;

CREATE VIEW v_historia_zmian AS
SELECT h.hz_id, h.hz_czas, h.hz_tabela, f_historia_tabela(h.hz_tabela) AS hz_tabela_nazwa, h.hz_klucz,
       h.hz_operacja, f_historia_czynnosc(h.hz_tabela, h.hz_klucz, h.hz_operacja, h.hz_zmiany) AS hz_czynnosc,
       CASE WHEN h.hz_operacja = 'A' THEN h.hz_zmiany ->> 'opis'
            ELSE f_historia_opis(h.hz_tabela, h.hz_operacja, h.hz_zmiany) END AS hz_opis,
       h.hz_fk_nrz, h.hz_fk_uzt, h.hz_uzytkownik,
       CASE WHEN h.hz_poswiadczone THEN 'serwer' ELSE 'program' END AS hz_poswiadczone,
       h.hz_stanowisko, host(h.hz_adres) AS hz_adres
  FROM historia_zmian h;

-- ---- Archive: the only way entries leave ----
-- The program exports the entries before the date up to the last one it
-- wrote to the file; exactly those are removed, and the removal is an entry.
CREATE FUNCTION f_historia_archiwizuj(p_przed timestamptz, p_do_wpisu bigint, p_plik text) RETURNS bigint
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, public, pg_temp AS $$
DECLARE
    v_ile bigint;
    v_uzt integer;
BEGIN
    IF session_user::text LIKE 'tav\_orv.%' THEN
        v_uzt := f_orv_uzt_id();
        IF v_uzt IS NULL OR NOT f_orv_admin(v_uzt) THEN
            RAISE EXCEPTION 'Operacja wymaga praw administratora.' USING ERRCODE = '42501';
        END IF;
    END IF;
    DELETE FROM historia_zmian WHERE hz_czas < p_przed AND hz_id <= p_do_wpisu AND hz_operacja <> 'A';
    GET DIAGNOSTICS v_ile = ROW_COUNT;
    PERFORM f_historia_zapisz('historia_zmian', 0, 'A',
        jsonb_build_object('przed', p_przed, 'do_wpisu', p_do_wpisu, 'usunieto', v_ile, 'plik', p_plik,
                           'opis', format('Wpisy sprzed %s (%s) zapisano w pliku %s i usunięto z bazy.',
                                          to_char(p_przed, 'DD.MM.YYYY'), v_ile, p_plik)),
        NULL);
    RETURN v_ile;
END;
$$;

REVOKE EXECUTE ON FUNCTION f_historia_zapisz(text, integer, char, jsonb, integer), f_historia_narzedzia_zdjecie(),
    f_historia_archiwizuj(timestamptz, bigint, text) FROM PUBLIC;

-- Everyone reads; nobody but the owner writes, changes or empties.
REVOKE ALL ON historia_zmian FROM PUBLIC;
GRANT SELECT ON historia_zmian, v_historia_zmian TO tav_orv_user;
GRANT EXECUTE ON FUNCTION f_historia_archiwizuj(timestamptz, bigint, text) TO tav_orv_user;
DO $$
BEGIN
    IF EXISTS (SELECT 1 FROM pg_roles WHERE rolname = 'tav_orv_uzytkownicy') THEN
        GRANT SELECT ON historia_zmian, v_historia_zmian TO tav_orv_uzytkownicy;
        GRANT EXECUTE ON FUNCTION f_historia_archiwizuj(timestamptz, bigint, text) TO tav_orv_administratorzy;
    END IF;
END;
$$;

-- Workstations showing a history hear of new entries.
SELECT f_powiadamiaj_o_zmianach('historia_zmian', 'hz_id');
