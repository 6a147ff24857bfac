-- opis: Stanowisko nie przerywa cudzych sesji
-- Every workstation of the shared role signs in as the same database role,
-- and the server lets a role end or cancel its own sessions: one
-- workstation could end every other's. The program never signals a
-- session, so in this database only the administrator of the server may.
-- Only a superuser may change the rights of the server's own functions; a
-- database created by a role that is none is told and left as it is.
DO $$
BEGIN
    IF current_setting('is_superuser') = 'on' THEN
        REVOKE EXECUTE ON FUNCTION pg_terminate_backend(integer, bigint) FROM PUBLIC;
        REVOKE EXECUTE ON FUNCTION pg_cancel_backend(integer) FROM PUBLIC;
    ELSE
        RAISE NOTICE 'Stanowiska mogą nadal przerywać sesje tej samej roli: odebrać im to może tylko administrator serwera '
                     '(REVOKE EXECUTE ON FUNCTION pg_terminate_backend(integer, bigint), pg_cancel_backend(integer) FROM PUBLIC).';
    END IF;
END;
$$;
