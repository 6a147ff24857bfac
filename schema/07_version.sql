-- Schema version 1.11.0. The client accepts any point number of 1.11; a
-- later change to the schema adds a row here rather than editing this one.
INSERT INTO zmiany_schematu_bazy
    (zsb_major_release_number, zsb_minor_release_number, zsb_point_release_number, zsb_opis)
VALUES (1, 11, 0, 'Schemat rejestru narzędzi');

-- 1.11.1: rules the database keeps for every workstation (blank texts,
-- dates, values, photos, letter case of logins, assembly cycles) and the
-- indexes the paged registers sort by.
INSERT INTO zmiany_schematu_bazy
    (zsb_major_release_number, zsb_minor_release_number, zsb_point_release_number, zsb_opis)
VALUES (1, 11, 1, 'Reguły spójności danych i indeksy sortowania rejestrów');
