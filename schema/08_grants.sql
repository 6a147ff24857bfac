-- Rights of the client role: exactly what the program does, nothing more.
-- The role itself is cluster-wide and made by create.sh.

DO $$
BEGIN
    IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = 'tav_orv_user') THEN
        RAISE EXCEPTION 'Role tav_orv_user does not exist; create it first (create.sh does).';
    END IF;
    EXECUTE format('REVOKE ALL ON DATABASE %I FROM PUBLIC', current_database());
    EXECUTE format('GRANT CONNECT ON DATABASE %I TO tav_orv_user', current_database());
END;
$$;

-- No one but the owner creates objects here.
REVOKE ALL ON SCHEMA public FROM PUBLIC;
GRANT USAGE ON SCHEMA public TO tav_orv_user;

-- Registers: read, add, edit, delete.
GRANT SELECT, INSERT, UPDATE, DELETE ON
    magazyny,
    lokalizacje,
    miejsca_uzytkowania,
    pracownicy,
    kategorie_narzedzi,
    narzedzia,
    uzytkownicy,
    ov_uprawnienia_mgz,
    ov_uprawnienia_admin,
    przesuniecia_mm,
    przypisane_narzedzia_pracownikom,
    naprawy_przeglady
TO tav_orv_user;

-- Dictionary and version: read only.
GRANT SELECT ON stan_techniczny_narzedzi, zmiany_schematu_bazy TO tav_orv_user;

GRANT SELECT ON
    v_pracownicy,
    v_narzedzia,
    v_przesuniecia_mm,
    v_przypisane_narzedzia_pracownikom,
    v_naprawy_przeglady,
    v_ov_uprawnienia_mgz,
    v_ov_uprawnienia_admin
TO tav_orv_user;

-- Key sequences of the tables the client inserts into.
DO $$
DECLARE
    t text;
BEGIN
    FOREACH t IN ARRAY ARRAY['magazyny', 'lokalizacje', 'miejsca_uzytkowania', 'pracownicy',
                             'kategorie_narzedzi', 'narzedzia', 'uzytkownicy', 'ov_uprawnienia_mgz',
                             'ov_uprawnienia_admin', 'przesuniecia_mm',
                             'przypisane_narzedzia_pracownikom', 'naprawy_przeglady']
    LOOP
        EXECUTE format('GRANT USAGE, SELECT ON SEQUENCE %s TO tav_orv_user',
                       (SELECT pg_get_serial_sequence(quote_ident(t), a.attname)
                          FROM pg_attribute a
                         WHERE a.attrelid = t::regclass AND a.attidentity <> ''));
    END LOOP;
END;
$$;

-- Trigger functions run on their own; nobody needs to call them.
REVOKE EXECUTE ON FUNCTION f_audyt_czas(), f_narzedzia_kontrola_stanu(), f_narzedzia_bez_cyklu(),
    f_ruch_po_narzedziu(), f_ruch_po_ruchu(), f_ruch_przed_zapisem(), f_powiadom_zmiany() FROM PUBLIC;
