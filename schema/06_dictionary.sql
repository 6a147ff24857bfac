-- Technical states. The client relies on the keys, not the names:
--   1  the state of a newly added tool,
--   2  written when a tool is sent to repair,
--   3  written when a tool is sent to inspection.
-- The names "Uszkodzone" and "Do kontroli" are also shown in colour, so
-- they must be spelled exactly so. The three are system rows.
INSERT INTO stan_techniczny_narzedzi (stn_id, stn_nazwa, systemowy) VALUES
    (1, 'Sprawne', true),
    (2, 'Uszkodzone', true),
    (3, 'Do kontroli', true),
    (4, 'Zużyte', false),
    (5, 'Niekompletne', false);

-- Later rows continue after the fixed keys.
DO $$
BEGIN
    PERFORM setval(pg_get_serial_sequence('stan_techniczny_narzedzi', 'stn_id'),
                   (SELECT max(stn_id) FROM stan_techniczny_narzedzi));
END;
$$;
