-- opis: Granica kluczy w powiadomieniu o zmianach w jednym miejscu
-- How many changed rows one notice names before it names the whole table
-- instead is written once, here; workstations read it from the database
-- and read a register again whole past it. A new register table gets its
-- notices with one call of f_powiadamiaj_o_zmianach.
CREATE FUNCTION f_limit_kluczy_powiadomienia() RETURNS integer
LANGUAGE sql IMMUTABLE PARALLEL SAFE AS $$ SELECT 200 $$;

CREATE OR REPLACE FUNCTION f_powiadom_zmiany() RETURNS trigger
LANGUAGE plpgsql AS $$
DECLARE
    v_klucz text := TG_ARGV[0];
    v_limit integer := f_limit_kluczy_powiadomienia();
    v_klucze text;
    v_ile integer;
BEGIN
    IF TG_OP = 'DELETE' THEN
        EXECUTE format('SELECT count(*), string_agg(%I::text, '','') FROM (SELECT %I FROM stare LIMIT %s) s',
                       v_klucz, v_klucz, v_limit + 1) INTO v_ile, v_klucze;
    ELSE
        EXECUTE format('SELECT count(*), string_agg(%I::text, '','') FROM (SELECT %I FROM nowe LIMIT %s) s',
                       v_klucz, v_klucz, v_limit + 1) INTO v_ile, v_klucze;
    END IF;
    IF v_ile = 0 THEN
        RETURN NULL;
    END IF;
    PERFORM pg_notify('orvalo_zmiany',
                      json_build_object('t', TG_TABLE_NAME, 'p', pg_backend_pid(),
                                        'k', CASE WHEN v_ile > v_limit THEN NULL ELSE v_klucze END)::text);
    RETURN NULL;
END;
$$;

-- The three statement triggers that tell listening workstations about a
-- table's changes; the key column names the changed rows.
CREATE FUNCTION f_powiadamiaj_o_zmianach(p_tabela regclass, p_klucz text) RETURNS void
LANGUAGE plpgsql AS $$
DECLARE
    v_nazwa text := (SELECT relname FROM pg_class WHERE oid = p_tabela);
BEGIN
    EXECUTE format('DROP TRIGGER IF EXISTS %I ON %s', 't_' || v_nazwa || '_powiadom_ins', p_tabela);
    EXECUTE format('DROP TRIGGER IF EXISTS %I ON %s', 't_' || v_nazwa || '_powiadom_upd', p_tabela);
    EXECUTE format('DROP TRIGGER IF EXISTS %I ON %s', 't_' || v_nazwa || '_powiadom_del', p_tabela);
    EXECUTE format('CREATE TRIGGER %I AFTER INSERT ON %s REFERENCING NEW TABLE AS nowe '
                   'FOR EACH STATEMENT EXECUTE FUNCTION f_powiadom_zmiany(%L)',
                   't_' || v_nazwa || '_powiadom_ins', p_tabela, p_klucz);
    EXECUTE format('CREATE TRIGGER %I AFTER UPDATE ON %s REFERENCING NEW TABLE AS nowe '
                   'FOR EACH STATEMENT EXECUTE FUNCTION f_powiadom_zmiany(%L)',
                   't_' || v_nazwa || '_powiadom_upd', p_tabela, p_klucz);
    EXECUTE format('CREATE TRIGGER %I AFTER DELETE ON %s REFERENCING OLD TABLE AS stare '
                   'FOR EACH STATEMENT EXECUTE FUNCTION f_powiadom_zmiany(%L)',
                   't_' || v_nazwa || '_powiadom_del', p_tabela, p_klucz);
END;
$$;

REVOKE EXECUTE ON FUNCTION f_powiadamiaj_o_zmianach(regclass, text) FROM PUBLIC;
