-- opis: Wydanie zestawu pracownikowi jednym poleceniem
-- The movements of one kit's issue share a group key, so the kit's issue
-- is one act in the registers and its history. Whether a kit can go is
-- answered for all its tools at once, naming each that cannot.

-- The group key itself is a column of the issues since 1.11.12.
CREATE SEQUENCE seq_grupa_ruchow;

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

GRANT USAGE, SELECT ON SEQUENCE seq_grupa_ruchow TO tav_orv_user;
DO $$
BEGIN
    IF EXISTS (SELECT 1 FROM pg_roles WHERE rolname = 'tav_orv_uzytkownicy') THEN
        GRANT USAGE, SELECT ON SEQUENCE seq_grupa_ruchow TO tav_orv_kierownicy;
    END IF;
END;
$$;
