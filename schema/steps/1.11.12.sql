-- opis: Planowany zwrot narzędzia wydanego pracownikowi i narzędzia po terminie
-- An issue to an employee may carry the day the tool is to come back; a
-- category may say for how many days its tools are lent, which the program
-- proposes. The registers read from the views whether an issue is overdue
-- and for how many days, and how many overdue tools each employee holds.
-- Rows already stored keep no planned day: nothing is invented for them.

ALTER TABLE kategorie_narzedzi ADD COLUMN ktr_nrz_okres_wypozyczenia integer,
    ADD CONSTRAINT ck_kategorie_narzedzi_okres_wypozyczenia CHECK (ktr_nrz_okres_wypozyczenia BETWEEN 1 AND 3650);
COMMENT ON COLUMN kategorie_narzedzi.ktr_nrz_okres_wypozyczenia IS 'Okres wypożyczenia, dni';
COMMENT ON CONSTRAINT ck_kategorie_narzedzi_okres_wypozyczenia ON kategorie_narzedzi IS
    'Okres wypożyczenia to od 1 do 3650 dni (albo puste pole: bez terminu).';

ALTER TABLE przypisane_narzedzia_pracownikom ADD COLUMN pnp_planowany_zwrot date,
    ADD CONSTRAINT ck_przypisane_narzedzia_pracownikom_planowany_zwrot CHECK (pnp_planowany_zwrot >= pnp_data_wydanie);
COMMENT ON COLUMN przypisane_narzedzia_pracownikom.pnp_planowany_zwrot IS 'Planowany zwrot';
COMMENT ON CONSTRAINT ck_przypisane_narzedzia_pracownikom_planowany_zwrot ON przypisane_narzedzia_pracownikom IS
    'Planowany zwrot nie może być wcześniejszy niż data wydania.';
-- Who confirmed an issue to an employee already late (see the rule below).
ALTER TABLE przypisane_narzedzia_pracownikom ADD COLUMN pnp_potwierdzil_po_terminie integer,
    ADD CONSTRAINT fk_przypisane_narzedzia_pracownikom_potwierdzil FOREIGN KEY (pnp_potwierdzil_po_terminie)
        REFERENCES uzytkownicy (uzt_id);
CREATE INDEX ix_przypisane_narzedzia_pracownikom_potwierdzil ON przypisane_narzedzia_pracownikom (pnp_potwierdzil_po_terminie);
COMMENT ON COLUMN przypisane_narzedzia_pracownikom.pnp_potwierdzil_po_terminie IS 'Wydanie mimo terminów potwierdził';

-- The issues of one kit share a key (given by the kit's issue, 1.11.14);
-- added here, with the columns above, so the view below is made once.
ALTER TABLE przypisane_narzedzia_pracownikom ADD COLUMN pnp_grupa bigint;
COMMENT ON COLUMN przypisane_narzedzia_pracownikom.pnp_grupa IS 'Wydanie zestawu';
CREATE INDEX ix_przypisane_narzedzia_pracownikom_grupa ON przypisane_narzedzia_pracownikom (pnp_grupa)
    WHERE pnp_grupa IS NOT NULL;

-- The overdue issues, found without reading every issue.
CREATE INDEX ix_przypisane_narzedzia_pracownikom_planowany_zwrot ON przypisane_narzedzia_pracownikom (pnp_planowany_zwrot)
    WHERE NOT pnp_status;

-- The view starts with every column of its table again, the new one too.
DROP VIEW v_przypisane_narzedzia_pracownikom;
CREATE VIEW v_przypisane_narzedzia_pracownikom AS
SELECT p.*,
       n.nrz_kod,
       n.nrz_nazwa,
       r.prc_imie,
       r.prc_nazwisko,
       r.prc_stanowisko,
       m.mgz_symbol,
       m.mgz_nazwa,
       mu.muz_nazwa,
       mu.muz_kod,
       uw.uzt_imie     AS uzt_wyd_imie,
       uw.uzt_nazwisko AS uzt_wyd_nazwisko,
       uw.uzt_login    AS uzt_wyd_login,
       up.uzt_imie     AS uzt_prz_imie,
       up.uzt_nazwisko AS uzt_prz_nazwisko,
       up.uzt_login    AS uzt_prz_login,
       sw.stn_nazwa    AS stn_wyd_nazwa,
       sp.stn_nazwa    AS stn_prz_nazwa,
       -- Days past the planned return of a tool not yet back; 0 when not late.
       CASE WHEN NOT p.pnp_status AND p.pnp_planowany_zwrot < current_date
            THEN current_date - p.pnp_planowany_zwrot ELSE 0 END AS pnp_dni_po_terminie,
       r.prc_tel_kontaktowy,
       n.nrz_wartosc
  FROM przypisane_narzedzia_pracownikom p
  LEFT JOIN narzedzia n ON n.nrz_id = p.pnp_fk_nrz
  LEFT JOIN pracownicy r ON r.prc_id = p.pnp_fk_prc
  LEFT JOIN magazyny m ON m.mgz_id = p.pnp_fk_mgz
  LEFT JOIN miejsca_uzytkowania mu ON mu.muz_id = p.pnp_fk_muz
  LEFT JOIN uzytkownicy uw ON uw.uzt_id = p.pnp_fk_uzt_wyd
  LEFT JOIN uzytkownicy up ON up.uzt_id = p.pnp_fk_uzt_prz
  LEFT JOIN stan_techniczny_narzedzi sw ON sw.stn_id = p.pnp_fk_stn_wydanie
  LEFT JOIN stan_techniczny_narzedzi sp ON sp.stn_id = p.pnp_fk_stn_przyjecie;

CREATE OR REPLACE VIEW v_pracownicy AS
SELECT p.*,
       (SELECT count(*) FROM przypisane_narzedzia_pracownikom z
         WHERE z.pnp_fk_prc = p.prc_id AND NOT z.pnp_status)::integer AS prc_liczba_narzedzi,
       (SELECT count(*) FROM przypisane_narzedzia_pracownikom z
         WHERE z.pnp_fk_prc = p.prc_id AND NOT z.pnp_status AND z.pnp_planowany_zwrot < current_date)::integer
           AS prc_po_terminie
  FROM pracownicy p;

GRANT SELECT ON v_przypisane_narzedzia_pracownikom TO tav_orv_user;
DO $$
BEGIN
    IF EXISTS (SELECT 1 FROM pg_roles WHERE rolname = 'tav_orv_uzytkownicy') THEN
        GRANT SELECT ON v_przypisane_narzedzia_pracownikom TO tav_orv_uzytkownicy;
        GRANT UPDATE (ktr_nrz_okres_wypozyczenia) ON kategorie_narzedzi TO tav_orv_uzytkownicy;
        GRANT UPDATE (pnp_planowany_zwrot) ON przypisane_narzedzia_pracownikom TO tav_orv_kierownicy;
    END IF;
END;
$$;

-- The history follows the new columns (an extended return is kept there).
SELECT f_historia_generuj('kategorie_narzedzi', 'ktr_nrz_id', NULL);

-- ---- The database's own rule on late borrowers ----
-- When on, an employee who holds tools past their planned return gets no
-- further tool, unless an administrator confirms it for that issue; the
-- issue then names who confirmed (pnp_potwierdzil_po_terminie).
CREATE TABLE orv_reguly_bazy (
    orb_id                       integer     NOT NULL DEFAULT 1,
    orb_nie_wydawaj_po_terminie  boolean     NOT NULL DEFAULT false,
    systemowy                    boolean     NOT NULL DEFAULT true,
    fk_uzt_stworzono             integer,
    fk_uzt_zmodyfikowano         integer,
    stworzono                    timestamptz NOT NULL,
    zmodyfikowano                timestamptz NOT NULL,
    CONSTRAINT pk_orv_reguly_bazy PRIMARY KEY (orb_id),
    CONSTRAINT ck_orv_reguly_bazy_jeden CHECK (orb_id = 1)
);
COMMENT ON COLUMN orv_reguly_bazy.orb_nie_wydawaj_po_terminie IS 'Nie wydawaj pracownikowi, który ma narzędzia po terminie';
CREATE TRIGGER t_orv_reguly_bazy_audyt BEFORE INSERT OR UPDATE ON orv_reguly_bazy
    FOR EACH ROW EXECUTE FUNCTION f_audyt_czas();
CREATE TRIGGER t_orv_reguly_bazy_prawa BEFORE INSERT OR UPDATE OR DELETE ON orv_reguly_bazy
    FOR EACH ROW EXECUTE FUNCTION f_prawa_serwera('admin');
INSERT INTO orv_reguly_bazy DEFAULT VALUES;

-- The confirmation is asked for by the program (orv.potwierdzenie_po_terminie
-- = 'tak' in the issue's transaction) and holds only for an administrator:
-- the account's own, or the user the program states.
CREATE FUNCTION f_wydanie_po_terminie() RETURNS trigger
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, public, pg_temp AS $$
DECLARE
    v_uzt integer;
    v_ile integer;
BEGIN
    NEW.pnp_potwierdzil_po_terminie := NULL;
    IF NOT (SELECT orb_nie_wydawaj_po_terminie FROM orv_reguly_bazy) THEN
        RETURN NEW;
    END IF;
    SELECT count(*) INTO v_ile FROM przypisane_narzedzia_pracownikom
     WHERE pnp_fk_prc = NEW.pnp_fk_prc AND NOT pnp_status AND pnp_planowany_zwrot < current_date;
    IF v_ile = 0 THEN
        RETURN NEW;
    END IF;
    v_uzt := CASE WHEN session_user::text LIKE 'tav\_orv.%' THEN f_orv_uzt_id()
                  WHEN current_setting('orv.uzytkownik', true) ~ '^[0-9]{1,9}$'
                  THEN current_setting('orv.uzytkownik', true)::integer END;
    IF coalesce(current_setting('orv.potwierdzenie_po_terminie', true), '') = 'tak' AND f_orv_admin(v_uzt) THEN
        NEW.pnp_potwierdzil_po_terminie := v_uzt;
        RETURN NEW;
    END IF;
    RAISE EXCEPTION 'Pracownik ma narzędzia po terminie zwrotu (%); wydać mu kolejne może tylko administrator, potwierdzając to.', v_ile
        USING ERRCODE = 'OV026';
END;
$$;
REVOKE EXECUTE ON FUNCTION f_wydanie_po_terminie() FROM PUBLIC;
CREATE TRIGGER t_przypisane_narzedzia_pracownikom_po_terminie BEFORE INSERT ON przypisane_narzedzia_pracownikom
    FOR EACH ROW EXECUTE FUNCTION f_wydanie_po_terminie();

GRANT SELECT, UPDATE ON orv_reguly_bazy TO tav_orv_user;
DO $$
BEGIN
    IF EXISTS (SELECT 1 FROM pg_roles WHERE rolname = 'tav_orv_uzytkownicy') THEN
        GRANT SELECT ON orv_reguly_bazy TO tav_orv_uzytkownicy;
        GRANT UPDATE (orb_nie_wydawaj_po_terminie, fk_uzt_zmodyfikowano) ON orv_reguly_bazy TO tav_orv_administratorzy;
    END IF;
END;
$$;
SELECT f_historia_generuj('orv_reguly_bazy', 'orb_id', NULL);
SELECT f_historia_generuj('przypisane_narzedzia_pracownikom', 'pnp_id', 'pnp_fk_nrz');
