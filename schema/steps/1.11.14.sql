-- opis: Wydanie zestawu pracownikowi jednym poleceniem
-- The movements of one kit's issue share a group key, so the kit's issue
-- is one act in the registers and its history. Whether a kit can go is
-- answered for all its tools at once, naming each that cannot.

CREATE SEQUENCE seq_grupa_ruchow;
ALTER TABLE przypisane_narzedzia_pracownikom ADD COLUMN pnp_grupa bigint;
COMMENT ON COLUMN przypisane_narzedzia_pracownikom.pnp_grupa IS 'Wydanie zestawu';
CREATE INDEX ix_przypisane_narzedzia_pracownikom_grupa ON przypisane_narzedzia_pracownikom (pnp_grupa)
    WHERE pnp_grupa IS NOT NULL;

-- The view starts with every column of its table again.
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

-- Why tools of a kit cannot go now, one phrase per tool ("EL-002: poza
-- magazynem"); none: the kit can go. A damaged tool does not go to an
-- employee.
CREATE FUNCTION f_zestaw_przeszkody(p_zst integer, p_do_pracownika boolean) RETURNS text
LANGUAGE sql STABLE AS $$
    SELECT string_agg(n.nrz_kod || ': ' || concat_ws(', ',
               CASE WHEN n.nrz_zlikwidowano THEN 'zlikwidowane' END,
               CASE WHEN NOT n.nrz_przyjete_na_stan THEN 'poza magazynem' END,
               CASE WHEN p_do_pracownika AND n.nrz_fk_stn = 2 THEN 'uszkodzone' END),
             '; ' ORDER BY n.nrz_kod)
      FROM narzedzia n
     WHERE n.nrz_fk_zst = p_zst
       AND (n.nrz_zlikwidowano OR NOT n.nrz_przyjete_na_stan OR (p_do_pracownika AND n.nrz_fk_stn = 2))
$$;

GRANT SELECT ON v_przypisane_narzedzia_pracownikom TO tav_orv_user;
GRANT USAGE, SELECT ON SEQUENCE seq_grupa_ruchow TO tav_orv_user;
DO $$
BEGIN
    IF EXISTS (SELECT 1 FROM pg_roles WHERE rolname = 'tav_orv_uzytkownicy') THEN
        GRANT SELECT ON v_przypisane_narzedzia_pracownikom TO tav_orv_uzytkownicy;
        GRANT USAGE, SELECT ON SEQUENCE seq_grupa_ruchow TO tav_orv_kierownicy;
    END IF;
END;
$$;
SELECT f_historia_generuj('przypisane_narzedzia_pracownikom', 'pnp_id', 'pnp_fk_nrz');
