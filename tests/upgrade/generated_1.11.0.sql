-- A register of some years on schema 1.11.0, over the first release's demo
-- data: tools in every state and warehouse, written off or not, with and
-- without photos, and for each kind of movement open and closed rows. A
-- tool away from its warehouse has exactly one open movement, as the
-- program of that release kept it.
INSERT INTO narzedzia (nrz_kod, nrz_nazwa, nrz_nr_ewidencyjny, nrz_nr_seryjny, nrz_kod_kreskowy,
                       nrz_fk_mgz, nrz_fk_lkl, nrz_fk_ktr_nrz, nrz_fk_stn, nrz_wartosc, nrz_zdjecie, nrz_uwagi,
                       nrz_przeglad, nrz_przyjete_na_stan, nrz_zlikwidowano, nrz_zlikwidowano_uwagi,
                       fk_uzt_stworzono, fk_uzt_zmodyfikowano)
SELECT format('GEN-%s', lpad(i::text, 4, '0')),
       format('Narzędzie wygenerowane nr %s ąęłńóśźż', i),
       format('INW/GEN/%s', i),
       CASE WHEN i % 3 = 0 THEN format('SN-%s', i * 7919) END,
       CASE WHEN i % 4 = 0 THEN format('59%s', lpad((i / 2)::text, 11, '0')) END,
       1 + i % 3,
       CASE WHEN i % 5 <> 0 THEN (SELECT min(lkl_id) FROM lokalizacje WHERE lkl_fk_mgz = 1 + i % 3) END,
       CASE WHEN i % 7 <> 0 THEN 1 + i % 8 END,
       1 + i % 5,
       round((i * 37.35)::numeric, 2),
       CASE WHEN i % 10 = 0 THEN '/9j/4AAQSkZJRgABAQ' || CASE WHEN i % 20 = 0 THEN '==' ELSE 'AA' END END,
       CASE WHEN i % 2 = 0 THEN E'Uwagi „cytowane”\nw dwóch wierszach' END,
       CASE WHEN i % 3 = 1 THEN DATE '2026-01-01' + i END,
       i % 6 >= 4,
       i % 11 = 5,
       CASE WHEN i % 11 = 5 THEN 'Zlikwidowane w spisie' END,
       1, 1 + i % 3
  FROM generate_series(1, 300) AS i;

-- Closed movements, several per tool over the years.
INSERT INTO przesuniecia_mm (psnmm_fk_nrz, psnmm_fk_mgz_src, psnmm_fk_mgz_dst, psnmm_fk_uzt_src, psnmm_fk_uzt_dst,
                             psnmm_data_wydanie, psnmm_data_przyjecie, psnmm_uwagi_wydanie, psnmm_uwagi_przyjecie,
                             psnmm_status, fk_uzt_stworzono)
SELECT n.nrz_id, 1 + (n.nrz_fk_mgz) % 3, n.nrz_fk_mgz, 1, 2, DATE '2024-03-01' + k, DATE '2024-03-05' + k,
       'Wydano', 'Przyjęto', true, 1
  FROM narzedzia n, generate_series(1, 2) AS k WHERE n.nrz_kod LIKE 'GEN-%';
INSERT INTO przypisane_narzedzia_pracownikom (pnp_fk_nrz, pnp_fk_prc, pnp_fk_mgz, pnp_fk_muz, pnp_fk_uzt_wyd,
                                              pnp_fk_uzt_prz, pnp_data_wydanie, pnp_data_przyjecie,
                                              pnp_fk_stn_wydanie, pnp_fk_stn_przyjecie, pnp_status, fk_uzt_stworzono)
SELECT n.nrz_id, (SELECT min(prc_id) FROM pracownicy), n.nrz_fk_mgz, (SELECT min(muz_id) FROM miejsca_uzytkowania),
       1, 2, DATE '2025-02-01', DATE '2025-02-20', 1, 2, true, 1
  FROM narzedzia n WHERE n.nrz_kod LIKE 'GEN-%' AND n.nrz_id % 2 = 0;
INSERT INTO naprawy_przeglady (np_typ, np_fk_nrz, np_fk_mgz, np_fk_uzt_wyd, np_fk_uzt_prz, np_data_wyd, np_data_prz,
                               np_fk_stn_wyd, np_fk_stn_prz, np_status, fk_uzt_stworzono)
SELECT n.nrz_id % 2, n.nrz_id, n.nrz_fk_mgz, 2, 1, DATE '2025-06-01', DATE '2025-07-01', 2, 1, true, 2
  FROM narzedzia n WHERE n.nrz_kod LIKE 'GEN-%' AND n.nrz_id % 3 = 0;

-- The one open movement of each tool away: 0 in transit, 1 with an
-- employee, 2 in repair, 3 at inspection (by the tool's number).
INSERT INTO przesuniecia_mm (psnmm_fk_nrz, psnmm_fk_mgz_src, psnmm_fk_mgz_dst, psnmm_fk_uzt_src,
                             psnmm_data_wydanie, psnmm_uwagi_wydanie, fk_uzt_stworzono)
SELECT n.nrz_id, n.nrz_fk_mgz, 1 + n.nrz_fk_mgz % 3, 2, DATE '2026-11-02', 'W drodze', 2
  FROM narzedzia n WHERE n.nrz_kod LIKE 'GEN-%' AND NOT n.nrz_przyjete_na_stan AND substr(n.nrz_kod, 5)::int % 4 = 0;
INSERT INTO przypisane_narzedzia_pracownikom (pnp_fk_nrz, pnp_fk_prc, pnp_fk_mgz, pnp_fk_muz, pnp_fk_uzt_wyd,
                                              pnp_data_wydanie, pnp_fk_stn_wydanie, pnp_uwagi_wydanie, fk_uzt_stworzono)
SELECT n.nrz_id, (SELECT max(prc_id) FROM pracownicy), n.nrz_fk_mgz, (SELECT max(muz_id) FROM miejsca_uzytkowania),
       1, DATE '2026-10-15', n.nrz_fk_stn, 'Na budowę', 1
  FROM narzedzia n WHERE n.nrz_kod LIKE 'GEN-%' AND NOT n.nrz_przyjete_na_stan AND substr(n.nrz_kod, 5)::int % 4 = 1;
INSERT INTO naprawy_przeglady (np_typ, np_fk_nrz, np_fk_mgz, np_fk_uzt_wyd, np_data_wyd, np_fk_stn_wyd, fk_uzt_stworzono)
SELECT substr(n.nrz_kod, 5)::int % 4 - 2, n.nrz_id, n.nrz_fk_mgz, 1, DATE '2026-09-30', n.nrz_fk_stn, 1
  FROM narzedzia n WHERE n.nrz_kod LIKE 'GEN-%' AND NOT n.nrz_przyjete_na_stan AND substr(n.nrz_kod, 5)::int % 4 >= 2;
