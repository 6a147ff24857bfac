-- Closes every step of the schema: the version it brings, in the same
-- transaction as its changes.
INSERT INTO zmiany_schematu_bazy
    (zsb_major_release_number, zsb_minor_release_number, zsb_point_release_number, zsb_opis)
VALUES (:major, :minor, :point, :'opis');
