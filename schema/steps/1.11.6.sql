-- opis: Indeksy otwartych ruchów dla dużych rejestrów
-- The registers read a page at a time by index; what still read every open
-- movement is found through a movement's warehouse or employee among the
-- open ones only: the pick lists of a warehouse's open transfers (to
-- receive or to cancel) and the number of tools each employee holds, which
-- the employees register shows on every row. Each index covers only the
-- open movements, so it stays small however long the history grows, and
-- carries the key the lists are ordered by.
CREATE INDEX ix_przesuniecia_mm_otwarte_mgz_src ON przesuniecia_mm (psnmm_fk_mgz_src, psnmm_id)
    WHERE NOT psnmm_status;
CREATE INDEX ix_przesuniecia_mm_otwarte_mgz_dst ON przesuniecia_mm (psnmm_fk_mgz_dst, psnmm_id)
    WHERE NOT psnmm_status;
CREATE INDEX ix_przypisane_narzedzia_pracownikom_otwarte_prc ON przypisane_narzedzia_pracownikom (pnp_fk_prc, pnp_id)
    WHERE NOT pnp_status;
