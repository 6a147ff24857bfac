-- The demo data of the first release (schema 1.11.0), as it was loaded then.
-- Demo data for a fresh "TAV_ORV" (create.sh --demo). Rows are inserted in
-- a fixed order into empty tables, so their keys are always the same; the
-- numbers used below for warehouses, locations, categories and states rely
-- on that.
--
-- Accounts (password = login; stored as the SHA-1 hex of the password):
--   uzt_id 1  admin       administrator
--   uzt_id 2  kierownik   manager of MG_BUDOWA1 (mgz_id 2) and MG_BUDOWA2 (mgz_id 3)
--   uzt_id 3  magazynier  no rights of its own
--
-- Dates are relative to the day of loading, so inspections stay due soon.

-- Users. The first account exists before anyone who could have created it.
INSERT INTO uzytkownicy (uzt_login, uzt_haslo, uzt_imie, uzt_nazwisko, uzt_tel_kontaktowy,
                         uzt_notatka, uzt_zatrudniony, systemowy, fk_uzt_stworzono, fk_uzt_zmodyfikowano) VALUES
    ('admin', 'd033e22ae348aeb5660fc2140aec35850c4da997', 'Adam', 'Wiśniewski', '+48 601 200 300',
     'Administrator systemu, dział IT.', true, true, NULL, NULL);
INSERT INTO uzytkownicy (uzt_login, uzt_haslo, uzt_imie, uzt_nazwisko, uzt_tel_kontaktowy,
                         uzt_notatka, uzt_zatrudniony, fk_uzt_stworzono, fk_uzt_zmodyfikowano) VALUES
    ('kierownik', 'ff0279b12df077564430fc4f50706c17aafd4544', 'Krzysztof', 'Zieliński', '+48 602 311 422',
     'Kierownik budów: Zielone Wzgórze i Komorniki.', true, 1, 1),
    ('magazynier', '7bac7408225190ea051f785fe635692101607116', 'Tomasz', 'Mazur', '+48 603 422 533',
     'Magazynier, magazyn główny.', true, 1, 1);

INSERT INTO ov_uprawnienia_admin (ovupradm_fk_uzt, systemowy, fk_uzt_stworzono, fk_uzt_zmodyfikowano) VALUES
    (1, true, 1, 1);

-- Warehouses: mgz_id 1..4. The main warehouse is a system row (it cannot be
-- deleted); the last one is closed.
INSERT INTO magazyny (mgz_symbol, mgz_nazwa, mgz_adres, mgz_opis, mgz_aktywny, systemowy,
                      fk_uzt_stworzono, fk_uzt_zmodyfikowano) VALUES
    ('MG_GLOWNY', 'Magazyn główny', 'ul. Przemysłowa 12, 61-001 Poznań',
     'Magazyn centralny; tu przyjmowane są nowe narzędzia.', true, true, 1, 1),
    ('MG_BUDOWA1', 'Budowa Osiedle Zielone Wzgórze', 'ul. Słoneczna 5, 62-020 Swarzędz',
     'Kontenery magazynowe na placu budowy.', true, false, 1, 1),
    ('MG_BUDOWA2', 'Budowa Hala Logistyczna Komorniki', 'ul. Polna 48, 62-052 Komorniki',
     'Magazyn przy biurze budowy.', true, false, 1, 1),
    ('MG_ARCHIWUM', 'Magazyn Luboń (zamknięty)', 'ul. Fabryczna 7, 62-030 Luboń',
     'Dawny magazyn oddziału; nie przyjmuje już narzędzi.', false, false, 1, 1);

INSERT INTO ov_uprawnienia_mgz (ovuprmgz_fk_uzt, ovuprmgz_fk_mgz, fk_uzt_stworzono, fk_uzt_zmodyfikowano) VALUES
    (2, 2, 1, 1),
    (2, 3, 1, 1);

-- Locations: lkl_id 1..4 in MG_GLOWNY, 5..6 in MG_BUDOWA1, 7..9 in
-- MG_BUDOWA2, 10..11 in MG_ARCHIWUM.
INSERT INTO lokalizacje (lkl_fk_mgz, lkl_nazwa, fk_uzt_stworzono, fk_uzt_zmodyfikowano) VALUES
    (1, 'Regał A', 1, 1),
    (1, 'Regał B', 1, 1),
    (1, 'Klatka elektronarzędzi', 1, 1),
    (1, 'Strefa przyjęć', 1, 1),
    (2, 'Kontener 1', 2, 2),
    (2, 'Kontener 2', 2, 2),
    (3, 'Kontener narzędziowy', 2, 2),
    (3, 'Wiata sprzętowa', 2, 2),
    (3, 'Biuro budowy', 2, 2),
    (4, 'Hala', 1, 1),
    (4, 'Regał zbiorczy', 1, 1);

-- Places of use: muz_id 1..5; the finished job is inactive.
INSERT INTO miejsca_uzytkowania (muz_kod, muz_nazwa, muz_aktywny, fk_uzt_stworzono, fk_uzt_zmodyfikowano) VALUES
    ('ZW-ETAP1', 'Osiedle Zielone Wzgórze - etap I', true, 2, 2),
    ('ZW-ETAP2', 'Osiedle Zielone Wzgórze - etap II', true, 2, 2),
    ('HLK-HALA', 'Hala logistyczna Komorniki', true, 2, 2),
    ('WARSZTAT', 'Warsztat firmowy Poznań', true, 1, 1),
    ('REM-GARB', 'Remont biurowca ul. Garbary', false, 1, 1);

-- Employees: prc_id 1..10; the last one no longer works here.
INSERT INTO pracownicy (prc_imie, prc_nazwisko, prc_zatrudniony, prc_tel_kontaktowy, prc_stanowisko,
                        prc_notatka, fk_uzt_stworzono, fk_uzt_zmodyfikowano) VALUES
    ('Jan', 'Kowalski', true, '+48 600 100 201', 'Brygadzista', 'Odpowiada za etap I.', 1, 1),
    ('Piotr', 'Nowak', true, '+48 600 100 202', 'Elektryk', NULL, 1, 1),
    ('Marek', 'Lewandowski', true, '+48 600 100 203', 'Murarz', NULL, 1, 1),
    ('Tomasz', 'Dąbrowski', true, '+48 600 100 204', 'Cieśla', NULL, 1, 1),
    ('Paweł', 'Kamiński', true, '+48 600 100 205', 'Hydraulik', NULL, 1, 1),
    ('Michał', 'Szymański', true, '+48 600 100 206', 'Spawacz', 'Uprawnienia spawalnicze TIG/MAG.', 1, 1),
    ('Grzegorz', 'Woźniak', true, '+48 600 100 207', 'Monter rusztowań', NULL, 1, 1),
    ('Łukasz', 'Kozłowski', true, '+48 600 100 208', 'Pomocnik budowlany', NULL, 1, 1),
    ('Agnieszka', 'Jankowska', true, '+48 600 100 209', 'Geodeta', NULL, 1, 1),
    ('Stanisław', 'Mazurek', false, '+48 600 100 210', 'Operator sprzętu', 'Umowa zakończona; narzędzia rozliczone.', 1, 1);

-- Tool categories: ktr_nrz_id 1..8; the first and the last are system rows
-- (neither editable nor deletable in the client).
INSERT INTO kategorie_narzedzi (ktr_nrz_nazwa, ktr_nrz_komentarz, systemowy, fk_uzt_stworzono, fk_uzt_zmodyfikowano) VALUES
    ('Bez kategorii', 'Narzędzia, którym nie przypisano jeszcze kategorii.', true, 1, 1),
    ('Elektronarzędzia', 'Wiertarki, szlifierki, pilarki, młoty.', false, 1, 1),
    ('Narzędzia ręczne', 'Klucze, nożyce, poziomice i drobny sprzęt.', false, 1, 1),
    ('Narzędzia pomiarowe', 'Sprzęt wymagający okresowej kalibracji.', false, 1, 1),
    ('Sprzęt spawalniczy', NULL, false, 1, 1),
    ('Drabiny i rusztowania', 'Sprawdzać stan przed każdym wydaniem.', false, 1, 1),
    ('Maszyny budowlane', 'Zagęszczarki, betoniarki, agregaty.', false, 1, 1),
    ('Wycofane z użytku', 'Narzędzia zlikwidowane lub przeznaczone do likwidacji.', true, 1, 1);

-- Tools. States: 1 Sprawne, 2 Uszkodzone, 3 Do kontroli, 4 Zużyte,
-- 5 Niekompletne. Tools away from their warehouse (on_stock false) each have
-- one open movement below. Two tools share a product bar code on purpose.
INSERT INTO narzedzia (nrz_kod, nrz_nazwa, nrz_nr_ewidencyjny, nrz_nr_seryjny, nrz_kod_kreskowy,
                       nrz_fk_mgz, nrz_fk_lkl, nrz_fk_ktr_nrz, nrz_fk_stn, nrz_wartosc, nrz_uwagi,
                       nrz_skladane, nrz_przeglad, nrz_przyjete_na_stan, nrz_zlikwidowano,
                       nrz_zlikwidowano_uwagi, fk_uzt_stworzono, fk_uzt_zmodyfikowano) VALUES
    -- MG_GLOWNY
    ('EL-001', 'Wiertarka udarowa Bosch GSB 18V-55', 'INW/2021/0001', '583009421', '3165140959562',
     1, 3, 2, 1, 899.00, NULL, false, NULL, true, false, NULL, 1, 1),
    ('EL-003', 'Młot wyburzeniowy Bosch GSH 11 VC', 'INW/2021/0003', '611335731', '3165140806095',
     1, 3, 2, 1, 4299.00, 'Po naprawie silnika.', false, NULL, true, false, NULL, 1, 1),
    ('EL-004', 'Młot udarowo-obrotowy Hilti TE 30-A36', 'INW/2022/0004', '3451209', '4052078421556',
     1, 3, 2, 1, 5890.00, 'Z walizką i dwoma akumulatorami.', false, NULL, false, false, NULL, 1, 1),
    ('EL-005', 'Pilarka tarczowa Makita HS7601', 'INW/2021/0005', '118274A', '0088381666518',
     1, 3, 2, 1, 549.00, NULL, false, NULL, true, false, NULL, 1, 1),
    ('EL-006', 'Odkurzacz przemysłowy Kärcher NT 30/1', 'INW/2022/0006', '010512', '4054278234151',
     1, 4, 2, 1, 1199.00, NULL, false, NULL, true, false, NULL, 1, 1),
    ('RE-001', 'Klucz dynamometryczny 40-200 Nm Yato', 'INW/2021/0101', NULL, '5906083912345',
     1, 1, 3, 1, 329.00, NULL, false, current_date + 120, true, false, NULL, 1, 1),
    ('RE-003', 'Zestaw kluczy nasadowych 1/2" 94 el. Stanley', 'INW/2021/0103', NULL, '3253561976502',
     1, 1, 3, 1, 459.00, NULL, false, NULL, true, false, NULL, 1, 1),
    ('RE-005', 'Giętarka do rur miedzianych Rothenberger', 'INW/2020/0105', NULL, NULL,
     1, 2, 3, 2, 689.00, 'Wygięta rolka prowadząca; czeka na wysyłkę do serwisu.', false, NULL, true, false, NULL, 1, 1),
    ('PM-001', 'Niwelator laserowy Bosch GRL 300 HV - zestaw', 'INW/2020/0201', '780001234', '3165140599751',
     1, 2, 4, 1, 7650.00, 'Zestaw: niwelator, statyw, łata.', true, current_date + 30, true, false, NULL, 1, 1),
    ('PM-001-S', 'Statyw korbowy Bosch BT 300 HD', 'INW/2020/0202', NULL, NULL,
     1, 2, 4, 1, 690.00, NULL, true, NULL, true, false, NULL, 1, 1),
    ('PM-001-L', 'Łata niwelacyjna teleskopowa 5 m', 'INW/2020/0203', NULL, NULL,
     1, 2, 4, 1, 210.00, NULL, true, NULL, true, false, NULL, 1, 1),
    ('PM-005', 'Niwelator optyczny Nivel System N24', 'INW/2019/0205', 'N24-190455', NULL,
     1, 2, 4, 1, 1350.00, 'Przegląd po terminie.', false, current_date - 10, true, false, NULL, 1, 1),
    ('SP-001', 'Spawarka inwertorowa Esab Rogue ES 200i', 'INW/2022/0301', '2231-0093', '7393063501234',
     1, 4, 5, 1, 2790.00, NULL, false, NULL, true, false, NULL, 1, 1),
    ('DR-001', 'Drabina aluminiowa 3x10 szczebli Krause', 'INW/2019/0401', NULL, NULL,
     1, 4, 6, 1, 899.00, NULL, false, current_date + 90, true, false, NULL, 1, 1),
    ('DR-002', 'Drabina rozstawna 2x7 szczebli', 'INW/2019/0402', NULL, NULL,
     1, 4, 6, 3, 420.00, 'Poluzowany zawias; sprawdzić przed wydaniem.', false, current_date, true, false, NULL, 1, 1),
    ('MB-003', 'Agregat prądotwórczy Honda EU22i', 'INW/2022/0503', 'EAJJ-1234567', NULL,
     1, 4, 7, 1, 6990.00, NULL, false, current_date + 60, true, false, NULL, 1, 1),
    ('MB-004', 'Piła do glazury Rubi DC-250', 'INW/2021/0504', NULL, NULL,
     1, 4, 7, 1, 3890.00, NULL, false, NULL, true, false, NULL, 1, 1),
    ('EL-007', 'Szlifierka oscylacyjna Festool ETS 150/3', 'INW/2018/0007', NULL, NULL,
     1, 3, 8, 4, 1290.00, NULL, false, NULL, true, true, 'Wyeksploatowana; naprawa nieopłacalna.', 1, 1),
    -- MG_BUDOWA1
    ('EL-002', 'Wiertarka udarowa Bosch GSB 18V-55', 'INW/2021/0002', '583009422', '3165140959562',
     2, 5, 2, 1, 899.00, NULL, false, NULL, true, false, NULL, 1, 2),
    ('EL-010', 'Wkrętarka akumulatorowa Makita DDF484', 'INW/2022/0010', '0048213', '0088381812345',
     2, 5, 2, 1, 749.00, NULL, false, NULL, false, false, NULL, 1, 2),
    ('EL-011', 'Wkrętarka akumulatorowa Makita DDF484', 'INW/2022/0011', '0048214', '0088381812345',
     2, 5, 2, 1, 749.00, NULL, false, NULL, true, false, NULL, 1, 2),
    ('EL-013', 'Szlifierka kątowa Makita GA5030 125 mm', 'INW/2021/0013', NULL, NULL,
     2, 5, 2, 4, 279.00, 'Zużyte szczotki.', false, NULL, true, false, NULL, 1, 2),
    ('RE-002', 'Nożyce do blachy Bessey D39', 'INW/2021/0102', NULL, NULL,
     2, 6, 3, 1, 95.00, NULL, false, NULL, true, false, NULL, 1, 2),
    ('RE-004', 'Przecinak do prętów 900 mm', 'INW/2021/0104', NULL, NULL,
     2, 6, 3, 1, 249.00, NULL, false, NULL, true, false, NULL, 1, 2),
    ('PM-003', 'Dalmierz laserowy Leica Disto D2', 'INW/2022/0203', '1234-5678', '7640110691111',
     2, 5, 4, 1, 649.00, NULL, false, NULL, false, false, NULL, 1, 2),
    ('PM-006', 'Laser krzyżowy Bosch GLL 3-80', 'INW/2022/0206', NULL, NULL,
     2, 5, 4, 1, 1590.00, NULL, false, current_date + 200, true, false, NULL, 1, 2),
    ('DR-003', 'Rusztowanie przejezdne aluminiowe 5,2 m', 'INW/2020/0403', NULL, NULL,
     2, 6, 6, 1, 3490.00, NULL, false, current_date + 45, true, false, NULL, 1, 2),
    ('MB-005', 'Betoniarka 180 l Altrad', 'INW/2020/0505', NULL, NULL,
     2, 6, 7, 1, 1599.00, NULL, false, NULL, true, false, NULL, 1, 2),
    ('MB-006', 'Zagęszczarka płytowa Wacker Neuson VP1550', 'INW/2021/0506', NULL, NULL,
     2, 6, 7, 1, 5400.00, NULL, false, current_date + 150, true, false, NULL, 1, 2),
    ('EL-014', 'Młotowiertarka Makita HR2470', 'INW/2019/0014', NULL, NULL,
     2, 5, 2, 1, 589.00, NULL, false, NULL, true, false, NULL, 1, 2),
    ('RE-006', 'Poziomica aluminiowa 120 cm Stabila', 'INW/2022/0106', NULL, NULL,
     2, NULL, NULL, 1, 259.00, 'Bez stałego miejsca i kategorii.', false, NULL, true, false, NULL, 1, 2),
    -- MG_BUDOWA2
    ('EL-012', 'Szlifierka kątowa DeWalt DWE4157 125 mm', 'INW/2021/0012', NULL, '5035048648472',
     3, 7, 2, 2, 389.00, NULL, false, NULL, false, false, NULL, 1, 2),
    ('EL-015', 'Wiertarko-wkrętarka DeWalt DCD796', 'INW/2022/0015', NULL, NULL,
     3, 7, 2, 1, 899.00, NULL, false, NULL, true, false, NULL, 1, 2),
    ('EL-016', 'Pilarka szablasta Milwaukee M18 FSZ', 'INW/2023/0016', NULL, NULL,
     3, 7, 2, 1, 1249.00, NULL, false, NULL, true, false, NULL, 1, 2),
    ('PM-002', 'Niwelator laserowy obrotowy Topcon RL-H5A', 'INW/2021/0202', 'RL5-88123', NULL,
     3, 9, 4, 1, 4890.00, 'Świadectwo kalibracji w biurze budowy.', false, current_date + 365, true, false, NULL, 1, 2),
    ('PM-004', 'Miernik rezystancji izolacji Sonel MIC-10', 'INW/2020/0204', NULL, NULL,
     3, 9, 4, 3, 2150.00, NULL, false, current_date - 5, false, false, NULL, 1, 2),
    ('SP-002', 'Zgrzewarka do rur PE Ritmo Basic 160', 'INW/2021/0302', NULL, NULL,
     3, 8, 5, 1, 3100.00, NULL, false, NULL, false, false, NULL, 1, 2),
    ('SP-003', 'Palnik gazowy do papy z wężem 5 m', 'INW/2022/0303', NULL, NULL,
     3, 8, 5, 1, 320.00, NULL, false, NULL, true, false, NULL, 1, 2),
    ('DR-004', 'Drabina wielofunkcyjna 4x4 Drabest', 'INW/2020/0404', NULL, NULL,
     3, 8, 6, 1, 549.00, NULL, false, current_date + 20, true, false, NULL, 1, 2),
    ('MB-001', 'Zagęszczarka płytowa Weber CF2', 'INW/2019/0501', NULL, NULL,
     3, 8, 7, 1, 4100.00, 'Po naprawie gaźnika.', false, NULL, true, false, NULL, 1, 2),
    ('MB-002', 'Nagrzewnica olejowa Master B 100 CED', 'INW/2021/0502', NULL, NULL,
     3, 8, 7, 1, 3650.00, NULL, false, NULL, true, false, NULL, 1, 2),
    ('RE-007', 'Zestaw wkrętaków izolowanych 1000 V Wera', 'INW/2023/0107', NULL, NULL,
     3, 7, 3, 1, 289.00, NULL, false, NULL, true, false, NULL, 1, 2),
    ('MB-007', 'Przecinarka do betonu Husqvarna K 770', 'INW/2022/0507', NULL, NULL,
     3, 8, 7, 1, 4990.00, NULL, false, NULL, true, false, NULL, 1, 2),
    ('EL-017', 'Odkurzacz przemysłowy Makita VC4210L', 'INW/2023/0017', NULL, NULL,
     3, 7, 2, 1, 1890.00, NULL, false, NULL, true, false, NULL, 1, 2),
    -- MG_ARCHIWUM
    ('EL-008', 'Wiertarka Celma WSR 13', 'INW/2012/0008', NULL, NULL,
     4, 10, 8, 4, 150.00, NULL, false, NULL, true, true, 'Spalony silnik; przekazano do utylizacji.', 1, 1),
    ('EL-009', 'Szlifierka kątowa Bosch PWS 700', 'INW/2014/0009', NULL, NULL,
     4, 10, 8, 4, 120.00, NULL, false, NULL, true, true, 'Pęknięty korpus.', 1, 1),
    ('DR-005', 'Rusztowanie warszawskie - komplet', 'INW/2010/0405', NULL, NULL,
     4, 10, 6, 5, 900.00, 'Brak dwóch ram i podestu.', false, NULL, true, false, NULL, 1, 1),
    ('RE-008', 'Imadło ślusarskie 150 mm', 'INW/2015/0108', NULL, NULL,
     4, 11, 3, 1, 180.00, NULL, false, NULL, true, false, NULL, 1, 1),
    ('MB-008', 'Betoniarka 130 l', 'INW/2011/0508', NULL, NULL,
     4, 10, 8, 4, 400.00, NULL, false, NULL, true, true, 'Zużyty wieniec zębaty.', 1, 1),
    ('PM-007', 'Dalmierz ultradźwiękowy', 'INW/2013/0207', NULL, NULL,
     4, 11, 1, 1, 60.00, NULL, false, NULL, true, false, NULL, 1, 1);

-- The level's tripod and staff are assembled into the level.
UPDATE narzedzia
   SET nrz_fk_nrz = (SELECT nrz_id FROM narzedzia WHERE nrz_kod = 'PM-001')
 WHERE nrz_kod IN ('PM-001-S', 'PM-001-L');

-- Transfers: four received, one in transit (EL-004 on its way to Komorniki).
INSERT INTO przesuniecia_mm (psnmm_fk_nrz, psnmm_fk_mgz_src, psnmm_fk_mgz_dst, psnmm_fk_uzt_src,
                             psnmm_fk_uzt_dst, psnmm_data_wydanie, psnmm_data_przyjecie,
                             psnmm_uwagi_wydanie, psnmm_uwagi_przyjecie, psnmm_status,
                             fk_uzt_stworzono, fk_uzt_zmodyfikowano)
SELECT n.nrz_id, v.src, v.dst, v.uzt_src, v.uzt_dst, current_date - v.d_wyd,
       current_date - v.d_prz, v.uwagi_wyd, v.uwagi_prz, v.status, v.uzt_src, coalesce(v.uzt_dst, v.uzt_src)
  FROM (VALUES
        ('EL-014', 1, 2, 1, 2,    200, 198,  'Wyposażenie nowej budowy.', NULL, true),
        ('EL-002', 1, 2, 1, 2,    120, 119,  'Druga wiertarka na etap I.', 'Przyjęto bez uwag.', true),
        ('MB-002', 1, 3, 1, 2,     90,  88,  'Ogrzewanie hali na okres zimowy.', NULL, true),
        ('DR-004', 2, 3, 2, 2,     45,  44,  'Przekazanie między budowami.', 'Kompletna.', true),
        ('EL-004', 1, 3, 1, NULL,   1, NULL, 'Na montaż regałów w hali.', NULL, false)
       ) AS v(kod, src, dst, uzt_src, uzt_dst, d_wyd, d_prz, uwagi_wyd, uwagi_prz, status)
  JOIN narzedzia n ON n.nrz_kod = v.kod
 ORDER BY v.d_wyd DESC;

-- Issues to employees: three returned, three still out.
INSERT INTO przypisane_narzedzia_pracownikom (pnp_fk_nrz, pnp_fk_prc, pnp_fk_mgz, pnp_fk_muz,
                                              pnp_fk_uzt_wyd, pnp_fk_uzt_prz, pnp_data_wydanie,
                                              pnp_data_przyjecie, pnp_fk_stn_wydanie, pnp_fk_stn_przyjecie,
                                              pnp_uwagi_wydanie, pnp_uwagi_przyjecie, pnp_status,
                                              fk_uzt_stworzono, fk_uzt_zmodyfikowano)
SELECT n.nrz_id, v.prc, n.nrz_fk_mgz, v.muz, v.uzt_wyd, v.uzt_prz, current_date - v.d_wyd,
       current_date - v.d_prz, v.stn_wyd, v.stn_prz, v.uwagi_wyd, v.uwagi_prz, v.status,
       v.uzt_wyd, coalesce(v.uzt_prz, v.uzt_wyd)
  FROM (VALUES
        ('RE-002', 10, 5, 2, 2,    150, 100,  1, 1,    'Prace przy obróbkach blacharskich.', 'Zwrot przy rozliczeniu pracownika.', true),
        ('EL-013',  4, 2, 2, 2,     60,  15,  1, 4,    NULL, 'Zużyte szczotki, pęknięta osłona.', true),
        ('EL-011',  2, 1, 2, 2,     30,  20,  1, 1,    'Montaż puszek elektrycznych.', NULL, true),
        ('SP-002',  6, 3, 2, NULL,  10, NULL, 1, NULL, 'Zgrzewanie instalacji p.poż.', NULL, false),
        ('EL-010',  1, 1, 2, NULL,   7, NULL, 1, NULL, 'Z dwoma akumulatorami i ładowarką.', NULL, false),
        ('PM-003',  9, 2, 2, NULL,   3, NULL, 1, NULL, 'Pomiary powykonawcze etapu II.', NULL, false)
       ) AS v(kod, prc, muz, uzt_wyd, uzt_prz, d_wyd, d_prz, stn_wyd, stn_prz, uwagi_wyd, uwagi_prz, status)
  JOIN narzedzia n ON n.nrz_kod = v.kod
 ORDER BY v.d_wyd DESC;

-- Repairs (typ 0) and inspections (typ 1): three back, EL-012 at the
-- repairer's, PM-004 at the inspection.
INSERT INTO naprawy_przeglady (np_typ, np_fk_nrz, np_fk_mgz, np_fk_uzt_wyd, np_fk_uzt_prz, np_data_wyd,
                               np_data_prz, np_fk_stn_wyd, np_fk_stn_prz, np_uwagi_wyd, np_uwagi_prz,
                               np_status, fk_uzt_stworzono, fk_uzt_zmodyfikowano)
SELECT v.typ, n.nrz_id, n.nrz_fk_mgz, v.uzt_wyd, v.uzt_prz, current_date - v.d_wyd,
       current_date - v.d_prz, v.stn_wyd, v.stn_prz, v.uwagi_wyd, v.uwagi_prz, v.status,
       v.uzt_wyd, coalesce(v.uzt_prz, v.uzt_wyd)
  FROM (VALUES
        (0, 'EL-003', 1, 1,    300, 280,  2, 1,    'Nie włącza się; serwis Bosch Poznań.', 'Wymieniono silnik i szczotki.', true),
        (0, 'MB-001', 2, 2,     80,  65,  2, 1,    'Nie uruchamia się silnik.', 'Wymieniono gaźnik; sprawna.', true),
        (1, 'PM-002', 2, 2,     20,  12,  1, 1,    'Coroczna kalibracja.', 'Świadectwo kalibracji nr 2024/118.', true),
        (0, 'EL-012', 2, NULL,   5, NULL, 1, NULL, 'Iskrzy przy włączaniu; serwis DeWalt.', NULL, false),
        (1, 'PM-004', 2, NULL,   2, NULL, 1, NULL, 'Okresowe sprawdzenie miernika.', NULL, false)
       ) AS v(typ, kod, uzt_wyd, uzt_prz, d_wyd, d_prz, stn_wyd, stn_prz, uwagi_wyd, uwagi_prz, status)
  JOIN narzedzia n ON n.nrz_kod = v.kod
 ORDER BY v.d_wyd DESC;

-- The data must tell one story: a tool is off stock exactly when one
-- movement of it is open.
DO $$
DECLARE
    bad text;
BEGIN
    SELECT string_agg(n.nrz_kod, ', ') INTO bad
      FROM narzedzia n
     WHERE n.nrz_przyjete_na_stan
           = ((SELECT count(*) FROM przesuniecia_mm WHERE psnmm_fk_nrz = n.nrz_id AND NOT psnmm_status)
            + (SELECT count(*) FROM przypisane_narzedzia_pracownikom WHERE pnp_fk_nrz = n.nrz_id AND NOT pnp_status)
            + (SELECT count(*) FROM naprawy_przeglady WHERE np_fk_nrz = n.nrz_id AND NOT np_status) = 1);
    IF bad IS NOT NULL THEN
        RAISE EXCEPTION 'demo data: stock flag and open movements disagree for %', bad;
    END IF;
END;
$$;
