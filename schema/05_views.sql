-- Read views of the registers. Each starts with every column of its base
-- table under the same name and in the same order (the client reads the key,
-- systemowy and the audit columns from the view and writes the table), then
-- adds readable columns of the rows the foreign keys point at. LEFT JOINs
-- throughout, so a row with an empty foreign key is still listed.

CREATE VIEW v_narzedzia AS
SELECT n.*,
       m.mgz_symbol,
       m.mgz_nazwa,
       l.lkl_nazwa,
       k.ktr_nrz_nazwa,
       s.stn_nazwa
  FROM narzedzia n
  LEFT JOIN magazyny m ON m.mgz_id = n.nrz_fk_mgz
  LEFT JOIN lokalizacje l ON l.lkl_id = n.nrz_fk_lkl
  LEFT JOIN kategorie_narzedzi k ON k.ktr_nrz_id = n.nrz_fk_ktr_nrz
  LEFT JOIN stan_techniczny_narzedzi s ON s.stn_id = n.nrz_fk_stn;

CREATE VIEW v_przesuniecia_mm AS
SELECT p.*,
       n.nrz_kod,
       n.nrz_nazwa,
       ms.mgz_symbol   AS mgz_src_symbol,
       ms.mgz_nazwa    AS mgz_src_nazwa,
       md.mgz_symbol   AS mgz_dst_symbol,
       md.mgz_nazwa    AS mgz_dst_nazwa,
       us.uzt_imie     AS uzt_src_imie,
       us.uzt_nazwisko AS uzt_src_nazwisko,
       us.uzt_login    AS uzt_src_login,
       ud.uzt_imie     AS uzt_dst_imie,
       ud.uzt_nazwisko AS uzt_dst_nazwisko,
       ud.uzt_login    AS uzt_dst_login
  FROM przesuniecia_mm p
  LEFT JOIN narzedzia n ON n.nrz_id = p.psnmm_fk_nrz
  LEFT JOIN magazyny ms ON ms.mgz_id = p.psnmm_fk_mgz_src
  LEFT JOIN magazyny md ON md.mgz_id = p.psnmm_fk_mgz_dst
  LEFT JOIN uzytkownicy us ON us.uzt_id = p.psnmm_fk_uzt_src
  LEFT JOIN uzytkownicy ud ON ud.uzt_id = p.psnmm_fk_uzt_dst;

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
       sp.stn_nazwa    AS stn_prz_nazwa
  FROM przypisane_narzedzia_pracownikom p
  LEFT JOIN narzedzia n ON n.nrz_id = p.pnp_fk_nrz
  LEFT JOIN pracownicy r ON r.prc_id = p.pnp_fk_prc
  LEFT JOIN magazyny m ON m.mgz_id = p.pnp_fk_mgz
  LEFT JOIN miejsca_uzytkowania mu ON mu.muz_id = p.pnp_fk_muz
  LEFT JOIN uzytkownicy uw ON uw.uzt_id = p.pnp_fk_uzt_wyd
  LEFT JOIN uzytkownicy up ON up.uzt_id = p.pnp_fk_uzt_prz
  LEFT JOIN stan_techniczny_narzedzi sw ON sw.stn_id = p.pnp_fk_stn_wydanie
  LEFT JOIN stan_techniczny_narzedzi sp ON sp.stn_id = p.pnp_fk_stn_przyjecie;

-- mgz_symbol/mgz_nazwa name the warehouse the trip started from (kept as
-- history); nrz_fk_mgz is the tool's warehouse now, which the rights checks
-- use.
CREATE VIEW v_naprawy_przeglady AS
SELECT np.*,
       CASE np.np_typ WHEN 0 THEN 'NAPRAWA'
                      WHEN 1 THEN 'PRZEGLĄD'
                      ELSE 'NIEZNANE' END AS np_typ_text,
       n.nrz_kod,
       n.nrz_nazwa,
       n.nrz_fk_mgz,
       m.mgz_symbol,
       m.mgz_nazwa,
       uw.uzt_imie     AS uzt_wyd_imie,
       uw.uzt_nazwisko AS uzt_wyd_nazwisko,
       uw.uzt_login    AS uzt_wyd_login,
       up.uzt_imie     AS uzt_prz_imie,
       up.uzt_nazwisko AS uzt_prz_nazwisko,
       up.uzt_login    AS uzt_prz_login,
       sw.stn_nazwa    AS stn_wyd_nazwa,
       sp.stn_nazwa    AS stn_prz_nazwa,
       -- Days away, for the trips not back yet.
       CASE WHEN NOT np.np_status THEN current_date - np.np_data_wyd END AS np_dni_poza
  FROM naprawy_przeglady np
  LEFT JOIN narzedzia n ON n.nrz_id = np.np_fk_nrz
  LEFT JOIN magazyny m ON m.mgz_id = np.np_fk_mgz
  LEFT JOIN uzytkownicy uw ON uw.uzt_id = np.np_fk_uzt_wyd
  LEFT JOIN uzytkownicy up ON up.uzt_id = np.np_fk_uzt_prz
  LEFT JOIN stan_techniczny_narzedzi sw ON sw.stn_id = np.np_fk_stn_wyd
  LEFT JOIN stan_techniczny_narzedzi sp ON sp.stn_id = np.np_fk_stn_prz;

CREATE VIEW v_ov_uprawnienia_mgz AS
SELECT o.*,
       u.uzt_imie,
       u.uzt_nazwisko,
       u.uzt_login,
       u.uzt_zatrudniony,
       m.mgz_symbol,
       m.mgz_nazwa
  FROM ov_uprawnienia_mgz o
  LEFT JOIN uzytkownicy u ON u.uzt_id = o.ovuprmgz_fk_uzt
  LEFT JOIN magazyny m ON m.mgz_id = o.ovuprmgz_fk_mgz;

-- Every user once. For an administrator the right's own row (key > 0); for
-- anyone else key 0 and an empty ovupradm_fk_uzt, so that a filter on
-- ovupradm_fk_uzt finds a row exactly for administrators.
CREATE VIEW v_ov_uprawnienia_admin AS
SELECT COALESCE(a.ovupradm_id, 0)   AS ovupradm_id,
       a.ovupradm_fk_uzt,
       COALESCE(a.systemowy, false) AS systemowy,
       a.fk_uzt_stworzono,
       a.fk_uzt_zmodyfikowano,
       a.stworzono,
       a.zmodyfikowano,
       u.uzt_id,
       u.uzt_imie,
       u.uzt_nazwisko,
       u.uzt_login,
       u.uzt_zatrudniony
  FROM uzytkownicy u
  LEFT JOIN ov_uprawnienia_admin a ON a.ovupradm_fk_uzt = u.uzt_id;

-- Employees with the number of tools each holds now: a tool issued to
-- someone who has since left stays in sight.
CREATE VIEW v_pracownicy AS
SELECT p.*,
       (SELECT count(*) FROM przypisane_narzedzia_pracownikom z
         WHERE z.pnp_fk_prc = p.prc_id AND NOT z.pnp_status)::integer AS prc_liczba_narzedzi
  FROM pracownicy p;
