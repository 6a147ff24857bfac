-- Trigram indexes make the registers' "contains" searches (ILIKE '%…%')
-- usable on large tables.
CREATE EXTENSION IF NOT EXISTS pg_trgm WITH SCHEMA public;
