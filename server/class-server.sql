-- Bimbala! class server: the tables, roles and row-level security that let each
-- learner's program send its answers and runs, and a teacher read its own class.
--
-- Run by the superuser, on the server itself (peer authentication, nothing over the
-- network), on the class database:
--   runuser -u postgres -- psql -v ON_ERROR_STOP=1 --single-transaction -d DATABASE -f class-server.sql
-- The superuser is the administrator: no role that can be reached over the network
-- owns anything here or may make roles (CREATEROLE can grant itself
-- pg_execute_server_program on PostgreSQL 15, a shell as postgres).
-- Running it again, or over a server that an earlier version of it made, is harmless:
-- it keeps every row, brings the tables to the shape written here and puts the
-- grants and policies back as written here.

-- Said only when something goes wrong.
SET client_min_messages = warning;

-- PostgreSQL 10 or later: row-level security came with 9.5, scram-sha-256 passwords
-- with 10. Tried on 15, which Debian 12 ships.
DO $$
BEGIN
    IF current_setting('server_version_num')::int < 100000 THEN
        RAISE EXCEPTION 'Bimbala''s class server needs PostgreSQL 10 or later; this is %', version();
    END IF;
    IF NOT (SELECT rolsuper FROM pg_roles WHERE rolname = current_user) THEN
        RAISE EXCEPTION 'Bimbala''s class server script is run by the superuser, on the server itself: '
                        'runuser -u postgres -- psql ...; % is not a superuser', current_user;
    END IF;
END
$$;

-- The groups that every learner's and teacher's login role belongs to. Roles belong
-- to the whole server, so a second class database on it shares them.
DO $$
BEGIN
    IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'bimbala_learner') THEN
        CREATE ROLE bimbala_learner NOLOGIN;
    END IF;
    IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'bimbala_teacher') THEN
        CREATE ROLE bimbala_teacher NOLOGIN;
    END IF;
END
$$;

-- Only the superuser creates anything: in our own schema nobody else is given CREATE,
-- public is closed as PostgreSQL 15 closes it, and nobody makes temporary tables,
-- nor large objects (below), which outlive the connection and keep a role from
-- being dropped.
CREATE SCHEMA IF NOT EXISTS bimbala;
REVOKE ALL ON SCHEMA bimbala FROM PUBLIC;
REVOKE CREATE ON SCHEMA public FROM PUBLIC;
DO $$
DECLARE
    f regprocedure;
BEGIN
    EXECUTE format('REVOKE TEMPORARY ON DATABASE %I FROM PUBLIC', current_database());
    FOR f IN SELECT p.oid FROM pg_proc p
             WHERE p.pronamespace = 'pg_catalog'::regnamespace AND (p.proname LIKE 'lo\_%' OR p.proname IN ('loread', 'lowrite')) LOOP
        EXECUTE format('REVOKE EXECUTE ON FUNCTION %s FROM PUBLIC', f);
    END LOOP;
END
$$;

CREATE TABLE IF NOT EXISTS bimbala.classes(
    name text PRIMARY KEY
);

-- Login roles are pseudonyms ("l" or "t" and 8 letters and digits) unless the
-- administrator chooses one: any role may turn an oid into a role's name, so role
-- names are never hidden. The real name is `display`, which only the learner itself
-- and its teachers read (the policies below). A teacher may have several classes.
CREATE TABLE IF NOT EXISTS bimbala.teachers(
    name name NOT NULL,
    class text NOT NULL REFERENCES bimbala.classes ON UPDATE CASCADE,
    display text,
    PRIMARY KEY (name, class)
);

CREATE TABLE IF NOT EXISTS bimbala.learners(
    name name PRIMARY KEY,
    class text NOT NULL REFERENCES bimbala.classes ON UPDATE CASCADE,
    display text
);
CREATE INDEX IF NOT EXISTS learners_by_class ON bimbala.learners(class);
ALTER TABLE bimbala.teachers ADD COLUMN IF NOT EXISTS display text;
ALTER TABLE bimbala.learners ADD COLUMN IF NOT EXISTS display text;

-- The program's record as it is sent: the same fields as the learner's own file,
-- keyed by the answer's unique id, so an answer sent twice is kept once. The learner
-- is whoever sent the row, never a value the program chooses. An answer names its
-- run by the run's uid (run_uid); earlier versions of the program sent the learner's
-- own number of the run instead (run).
CREATE TABLE IF NOT EXISTS bimbala.answers(
    uid uuid PRIMARY KEY,
    learner name NOT NULL DEFAULT current_user,
    at timestamptz NOT NULL,
    lesson text NOT NULL,
    exercise text NOT NULL,
    item text NOT NULL,
    expected text NOT NULL,
    given text NOT NULL,
    "right" boolean NOT NULL,
    solution_shown boolean NOT NULL,
    retry boolean NOT NULL,
    run bigint,
    run_uid uuid,
    txid bigint NOT NULL DEFAULT 0 -- the transaction that brought it (the trigger below)
);

-- A run is sent once it has ended, whole, so no row is ever changed here. Its uid is
-- random, made by the program when the run starts.
CREATE TABLE IF NOT EXISTS bimbala.runs(
    uid uuid PRIMARY KEY,
    learner name NOT NULL DEFAULT current_user,
    id bigint NOT NULL, -- the program's number of the run, that answers.run names
    lesson text NOT NULL,
    exercise text NOT NULL,
    variant text NOT NULL CHECK (variant IN ('basic', 'plus', 'mistakes')),
    person text NOT NULL DEFAULT '',
    started timestamptz NOT NULL,
    ended timestamptz NOT NULL,
    outcome text NOT NULL CHECK (outcome IN ('accomplished', 'left')),
    txid bigint NOT NULL DEFAULT 0
);

-- Over a server an earlier version made: its answers get the uid of their learner's
-- own run, once, when the column is new (later rows name it themselves); its rows came
-- before any fetch counted transactions, so 0 stands for their transaction.
DO $$
BEGIN
    IF NOT EXISTS (SELECT FROM pg_attribute WHERE attrelid = 'bimbala.answers'::regclass AND attname = 'run_uid') THEN
        ALTER TABLE bimbala.answers ADD COLUMN run_uid uuid;
        UPDATE bimbala.answers a SET run_uid = r.uid FROM bimbala.runs r WHERE r.learner = a.learner AND r.id = a.run;
    END IF;
END
$$;
ALTER TABLE bimbala.answers ADD COLUMN IF NOT EXISTS txid bigint NOT NULL DEFAULT 0,
    ALTER COLUMN learner SET DEFAULT current_user;
ALTER TABLE bimbala.runs ADD COLUMN IF NOT EXISTS txid bigint NOT NULL DEFAULT 0,
    ALTER COLUMN learner SET DEFAULT current_user;

-- Each row as it arrives: a time in the future (a learner's clock set wrong, or a row
-- that would stay in "the last 30 days" for good) is taken as now, rather than refusing
-- the row for ever; and the row is marked with its transaction, whatever the program
-- sent, so a learner's other computers fetch what is new since they last looked (the
-- indexes below). It names only pg_catalog's functions, which come first in any
-- search path, and runs with the rights of the learner sending.
CREATE OR REPLACE FUNCTION bimbala.arriving() RETURNS trigger
LANGUAGE plpgsql AS $$
BEGIN
    NEW.txid := txid_current();
    IF TG_TABLE_NAME = 'answers' THEN
        IF NEW.at > now() THEN
            NEW.at := now();
        END IF;
    ELSE
        IF NEW.started > now() THEN
            NEW.started := now();
        END IF;
        IF NEW.ended > now() THEN
            NEW.ended := now();
        END IF;
    END IF;
    RETURN NEW;
END
$$;
DROP TRIGGER IF EXISTS arriving ON bimbala.answers;
CREATE TRIGGER arriving BEFORE INSERT ON bimbala.answers FOR EACH ROW EXECUTE PROCEDURE bimbala.arriving();
DROP TRIGGER IF EXISTS arriving ON bimbala.runs;
CREATE TRIGGER arriving BEFORE INSERT ON bimbala.runs FOR EACH ROW EXECUTE PROCEDURE bimbala.arriving();

-- The memory of an item as the program's review keeps it (FSRS 4.5 with its published
-- default weights): after each answer, in the order given, {stability in days,
-- difficulty, the last answer's time in epoch seconds}. Right at the first try is a
-- Good review, right after a wrong try Hard, wrong or with the solution shown Again.
CREATE OR REPLACE FUNCTION bimbala.fsrs_step(memory double precision[], at timestamptz, is_right boolean,
                                             shown boolean, retry boolean)
RETURNS double precision[] LANGUAGE plpgsql IMMUTABLE AS $$
DECLARE
    -- The weights are written out where they are used (w0..w16 of FSRS 4.5): an array of
    -- them made at every call took half the time.
    g integer := CASE WHEN NOT is_right OR shown THEN 1 WHEN retry THEN 2 ELSE 3 END;
    t double precision := pg_catalog.date_part('epoch', at);
    s double precision;
    d double precision;
    r double precision;
BEGIN
    IF memory IS NULL THEN
        -- S0 = w[G-1], D0 = w4 - (G - 3) w5
        RETURN ARRAY[CASE g WHEN 1 THEN 0.4872 WHEN 2 THEN 1.4003 ELSE 3.7145 END,
                     LEAST(10, GREATEST(1, 5.1618 - (g - 3) * 1.2298)), t];
    END IF;
    s := memory[1];
    d := memory[2];
    r := pg_catalog.power(1 + 19.0 / 81 * GREATEST(0, t - memory[3]) / 86400 / s, -0.5);
    IF g = 1 THEN
        -- w11 D^-w12 ((S + 1)^w13 - 1) e^(w14 (1 - R)), never above S
        s := LEAST(s, 2.1072 * pg_catalog.power(d, -0.0793) * (pg_catalog.power(s + 1, 0.3246) - 1)
                      * pg_catalog.exp(1.587 * (1 - r)));
    ELSE
        -- S (e^w8 (11 - D) S^-w9 (e^(w10 (1 - R)) - 1) w15 for Hard + 1)
        s := s * (5.193459 * (11 - d) * pg_catalog.power(s, -0.1367) * (pg_catalog.exp(1.0461 * (1 - r)) - 1)
                  * CASE WHEN g = 2 THEN 0.2272 ELSE 1 END + 1);
    END IF;
    -- w7 D0(3) + (1 - w7)(D - w6 (G - 3))
    d := LEAST(10, GREATEST(1, 0.031 * 5.1618 + 0.969 * (d - 0.8975 * (g - 3))));
    RETURN ARRAY[GREATEST(0.1, s), d, GREATEST(t, memory[3])];
END
$$;
CREATE OR REPLACE AGGREGATE bimbala.fsrs_memory(timestamptz, boolean, boolean, boolean)
    (SFUNC = bimbala.fsrs_step, STYPE = double precision[]);

-- Each learner's memory of each item, kept as its answers arrive (in the order they
-- arrive: one given before another already here counts as given with it), so that a
-- teacher's report reads a row an item, not every answer. The triggers run as the
-- superuser with a fixed search path: a learner cannot write this table, only send
-- answers. It is what the answers make it: answers that go (a learner who leaves, with
-- their record) or change (a login renamed) take their items' memory with them, so
-- that nobody given the same login later finds it. Over a server an earlier version
-- made, it is made from the answers once: made before memory went with the answers,
-- it may hold a removed learner's. The table's comment says it was.
DO $$
BEGIN
    IF to_regclass('bimbala.memory') IS NULL THEN
        CREATE TABLE bimbala.memory(
            learner name NOT NULL,
            lesson text NOT NULL,
            exercise text NOT NULL,
            item text NOT NULL,
            state double precision[] NOT NULL, -- {stability in days, difficulty, last answer in epoch seconds}
            PRIMARY KEY(learner, lesson, exercise, item));
    ELSIF obj_description('bimbala.memory'::regclass, 'pg_class') IS NOT DISTINCT FROM 'made from the answers, and goes with them' THEN
        RETURN;
    END IF;
    DELETE FROM bimbala.memory;
    INSERT INTO bimbala.memory
    SELECT a.learner, a.lesson, a.exercise, a.item,
           bimbala.fsrs_memory(a.at, a."right", a.solution_shown, a.retry ORDER BY a.at, a.uid)
    FROM bimbala.answers a
    GROUP BY 1, 2, 3, 4;
    COMMENT ON TABLE bimbala.memory IS 'made from the answers, and goes with them';
END
$$;
CREATE OR REPLACE FUNCTION bimbala.remembering() RETURNS trigger
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $$
BEGIN
    INSERT INTO bimbala.memory AS m
    VALUES (NEW.learner, NEW.lesson, NEW.exercise, NEW.item,
            bimbala.fsrs_step(NULL, NEW.at, NEW."right", NEW.solution_shown, NEW.retry))
    ON CONFLICT (learner, lesson, exercise, item) DO UPDATE
    SET state = bimbala.fsrs_step(m.state, NEW.at, NEW."right", NEW.solution_shown, NEW.retry);
    RETURN NULL;
END
$$;
DROP TRIGGER IF EXISTS remembering ON bimbala.answers;
CREATE TRIGGER remembering AFTER INSERT ON bimbala.answers FOR EACH ROW EXECUTE PROCEDURE bimbala.remembering();
-- The memory of each item whose answers went or changed (only the superuser deletes or
-- changes answers), made again from the answers left: none, for a learner who left.
CREATE OR REPLACE FUNCTION bimbala.remembering_anew() RETURNS trigger
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $$
DECLARE
    learners name[];
    lessons text[];
    exercises text[];
    items text[];
BEGIN
    IF TG_OP = 'TRUNCATE' THEN
        DELETE FROM bimbala.memory;
        RETURN NULL;
    ELSIF TG_OP = 'DELETE' THEN
        SELECT array_agg(k.learner), array_agg(k.lesson), array_agg(k.exercise), array_agg(k.item)
        INTO learners, lessons, exercises, items
        FROM (SELECT DISTINCT g.learner, g.lesson, g.exercise, g.item FROM gone g) k;
    ELSE
        SELECT array_agg(k.learner), array_agg(k.lesson), array_agg(k.exercise), array_agg(k.item)
        INTO learners, lessons, exercises, items
        FROM (SELECT g.learner, g.lesson, g.exercise, g.item FROM gone g
              UNION SELECT c.learner, c.lesson, c.exercise, c.item FROM came c) k;
    END IF;
    DELETE FROM bimbala.memory m
    USING unnest(learners, lessons, exercises, items) k(learner, lesson, exercise, item)
    WHERE (m.learner, m.lesson, m.exercise, m.item) = (k.learner, k.lesson, k.exercise, k.item);
    INSERT INTO bimbala.memory
    SELECT a.learner, a.lesson, a.exercise, a.item,
           bimbala.fsrs_memory(a.at, a."right", a.solution_shown, a.retry ORDER BY a.at, a.uid)
    FROM bimbala.answers a
    JOIN unnest(learners, lessons, exercises, items) k(learner, lesson, exercise, item)
      ON (a.learner, a.lesson, a.exercise, a.item) = (k.learner, k.lesson, k.exercise, k.item)
    GROUP BY 1, 2, 3, 4;
    RETURN NULL;
END
$$;
DROP TRIGGER IF EXISTS answers_gone ON bimbala.answers;
CREATE TRIGGER answers_gone AFTER DELETE ON bimbala.answers REFERENCING OLD TABLE AS gone
    FOR EACH STATEMENT EXECUTE PROCEDURE bimbala.remembering_anew();
DROP TRIGGER IF EXISTS answers_changed ON bimbala.answers;
CREATE TRIGGER answers_changed AFTER UPDATE ON bimbala.answers REFERENCING OLD TABLE AS gone NEW TABLE AS came
    FOR EACH STATEMENT EXECUTE PROCEDURE bimbala.remembering_anew();
DROP TRIGGER IF EXISTS answers_emptied ON bimbala.answers;
CREATE TRIGGER answers_emptied AFTER TRUNCATE ON bimbala.answers
    FOR EACH STATEMENT EXECUTE PROCEDURE bimbala.remembering_anew();
-- What an earlier version took from the future (before the checks below, which an
-- update of such a row would have to pass).
UPDATE bimbala.answers SET at = now() WHERE at > now();
UPDATE bimbala.runs SET started = least(started, now()), ended = least(ended, now()) WHERE started > now() OR ended > now();

-- What a row may hold: a few hundred characters of plain text. A control character
-- is Unicode's Cc (U+0001-U+001F, U+007F-U+009F; text never holds U+0000), named so:
-- [[:cntrl:]] means only its ASCII part in the C locale, and other locales add
-- characters that are none, which a row the program cleaned may hold (it would then
-- be refused for ever, and nothing after it sent). Rows an earlier version took are
-- kept as they are (NOT VALID); the report cleans what it shows. The program cuts and
-- cleans its rows to these limits before sending them.
ALTER TABLE bimbala.answers DROP CONSTRAINT IF EXISTS answers_plain;
ALTER TABLE bimbala.answers ADD CONSTRAINT answers_plain CHECK (
    char_length(lesson) <= 100 AND char_length(exercise) <= 100 AND char_length(item) <= 500
    AND char_length(expected) <= 500 AND char_length(given) <= 500
    AND (lesson || exercise || item || expected || given) !~ '[\u0001-\u001f\u007f-\u009f]') NOT VALID;
ALTER TABLE bimbala.runs DROP CONSTRAINT IF EXISTS runs_plain;
ALTER TABLE bimbala.runs ADD CONSTRAINT runs_plain CHECK (
    char_length(lesson) <= 100 AND char_length(exercise) <= 100 AND char_length(variant) <= 100
    AND char_length(person) <= 100 AND char_length(outcome) <= 100
    AND (lesson || exercise || variant || person || outcome) !~ '[\u0001-\u001f\u007f-\u009f]') NOT VALID;
ALTER TABLE bimbala.learners DROP CONSTRAINT IF EXISTS learners_plain;
ALTER TABLE bimbala.learners ADD CONSTRAINT learners_plain CHECK (char_length(display) <= 100 AND display !~ '[\u0001-\u001f\u007f-\u009f]');
ALTER TABLE bimbala.teachers DROP CONSTRAINT IF EXISTS teachers_plain;
ALTER TABLE bimbala.teachers ADD CONSTRAINT teachers_plain CHECK (char_length(display) <= 100 AND display !~ '[\u0001-\u001f\u007f-\u009f]');

-- A teacher's report reads its learners' last 30 days (the functions below): the
-- first index finds them, the second only their misses, a small part of the answers.
-- Answers arrive in time order, so the rows found lie together in the table; columns
-- carried in the indexes (INCLUDE) made them twice the size and no report quicker.
-- The last two give a learner's program its own rows of a lesson that are new since
-- a transaction, a page at a time: answers in (txid, at, uid) order, so that those one
-- computer sent together come in the order they were given, runs in (txid, uid) order.
CREATE INDEX IF NOT EXISTS answers_by_learner ON bimbala.answers(learner, at);
CREATE INDEX IF NOT EXISTS answers_missed ON bimbala.answers(learner, at) WHERE NOT "right" OR solution_shown;
CREATE INDEX IF NOT EXISTS runs_by_learner ON bimbala.runs(learner, ended);
DROP INDEX IF EXISTS bimbala.answers_new;
CREATE INDEX IF NOT EXISTS answers_new_in_order ON bimbala.answers(learner, lesson, txid, at, uid);
CREATE INDEX IF NOT EXISTS runs_new ON bimbala.runs(learner, lesson, txid, uid);

-- What each group may do at all; the policies below narrow it to rows. Nobody but
-- the superuser may UPDATE, DELETE or TRUNCATE: the record here only grows.
REVOKE ALL ON ALL TABLES IN SCHEMA bimbala FROM PUBLIC, bimbala_learner, bimbala_teacher;
GRANT USAGE ON SCHEMA bimbala TO bimbala_learner, bimbala_teacher;
GRANT SELECT, INSERT ON bimbala.answers, bimbala.runs TO bimbala_learner;
GRANT SELECT ON bimbala.learners TO bimbala_learner;
GRANT SELECT ON bimbala.answers, bimbala.runs, bimbala.learners, bimbala.teachers, bimbala.memory TO bimbala_teacher;

-- Every table answers to its policies; the superuser passes them. An earlier version
-- had the database's owner run this script, with a policy of its own: it goes, and
-- what it owned is the superuser's from now on.
DO $$
DECLARE
    t text;
    f regprocedure;
BEGIN
    EXECUTE format('ALTER SCHEMA bimbala OWNER TO %I', current_user);
    FOREACH t IN ARRAY ARRAY['classes', 'teachers', 'learners', 'answers', 'runs', 'memory'] LOOP
        EXECUTE format('ALTER TABLE bimbala.%I OWNER TO %I', t, current_user);
        EXECUTE format('ALTER TABLE bimbala.%I ENABLE ROW LEVEL SECURITY, FORCE ROW LEVEL SECURITY', t);
        EXECUTE format('DROP POLICY IF EXISTS administrator ON bimbala.%I', t);
    END LOOP;
    FOR f IN SELECT p.oid FROM pg_proc p WHERE p.pronamespace = 'bimbala'::regnamespace LOOP
        EXECUTE format('ALTER FUNCTION %s OWNER TO %I', f, current_user);
    END LOOP;
END
$$;

-- A learner reads its own row of learners only (the answers' insert policy asks it
-- whether the learner is registered); the others stay hidden.
DROP POLICY IF EXISTS learner_self ON bimbala.learners;
CREATE POLICY learner_self ON bimbala.learners FOR SELECT TO bimbala_learner
    USING (name = current_user);
-- A teacher reads its own rows of teachers and the learners of its classes.
DROP POLICY IF EXISTS teacher_self ON bimbala.teachers;
CREATE POLICY teacher_self ON bimbala.teachers FOR SELECT TO bimbala_teacher
    USING (name = current_user);
DROP POLICY IF EXISTS teacher_class ON bimbala.learners;
CREATE POLICY teacher_class ON bimbala.learners FOR SELECT TO bimbala_teacher
    USING (class IN (SELECT t.class FROM bimbala.teachers t WHERE t.name = current_user));

-- Answers and runs alike: a registered learner sends rows as itself and reads them
-- back; a teacher reads those of its classes' learners, named as an array that the
-- learner index is searched with (IN with a subquery would filter every row).
-- INSERT ... ON CONFLICT (uid) DO NOTHING checks no read policy: a row sent again is
-- skipped, and one whose uid another learner's row holds is skipped too, unseen.
DO $$
DECLARE
    t text;
BEGIN
    FOREACH t IN ARRAY ARRAY['answers', 'runs'] LOOP
        EXECUTE format('DROP POLICY IF EXISTS learner_sends ON bimbala.%I', t);
        EXECUTE format('CREATE POLICY learner_sends ON bimbala.%I FOR INSERT TO bimbala_learner '
                       'WITH CHECK (learner = current_user AND EXISTS '
                       '(SELECT FROM bimbala.learners l WHERE l.name = current_user))', t);
        EXECUTE format('DROP POLICY IF EXISTS learner_reads ON bimbala.%I', t);
        EXECUTE format('CREATE POLICY learner_reads ON bimbala.%I FOR SELECT TO bimbala_learner '
                       'USING (learner = current_user)', t);
    END LOOP;
    -- The memory a teacher reads as the answers it comes from; nobody else reads it.
    FOREACH t IN ARRAY ARRAY['answers', 'runs', 'memory'] LOOP
        EXECUTE format('DROP POLICY IF EXISTS teacher_reads ON bimbala.%I', t);
        EXECUTE format('CREATE POLICY teacher_reads ON bimbala.%I FOR SELECT TO bimbala_teacher '
                       'USING (learner = ANY (ARRAY(SELECT l.name FROM bimbala.learners l '
                       'JOIN bimbala.teachers t ON t.class = l.class WHERE t.name = current_user)))', t);
    END LOOP;
END
$$;

-- A teacher's report, as the indexes above are made for: per learner and exercise, the
-- first tries since `since` (the teacher's program gives the start of the local day 29
-- days ago: 30 days, today's included), how many were right (without the solution shown)
-- and the last answer among them; the runs accomplished and the last run ever; and per
-- lesson the items missed (a wrong answer or the solution shown) by most learners, as
-- the learner's own Progress window counts them. Only the exercises the teacher's
-- program knows count, given as pairs (lessons[i], exercises[i]): rows of made-up
-- exercises, which any learner can send, never reach the report; the rows are counted
-- first and the pairs chosen among the counts, which is as quick as counting alone,
-- where choosing among the rows took a third longer. They run with the caller's rights,
-- so the policies choose whose rows they count, and with no search path of their own:
-- PostgreSQL then plans each into the caller's query with the values given (a million
-- answers: class_shares 18 ms so, 47 ms planned for any `since`). Every name in them is
-- qualified or pg_catalog's, and nobody but the superuser can create anything in this
-- database that a caller's search path would find. Dropped first, those of earlier
-- versions too: a newer script may give them other columns.
DROP FUNCTION IF EXISTS bimbala.class_shares(integer);
DROP FUNCTION IF EXISTS bimbala.class_runs();
DROP FUNCTION IF EXISTS bimbala.most_missed(integer, integer);
DROP FUNCTION IF EXISTS bimbala.class_shares(timestamptz, text[], text[]);
DROP FUNCTION IF EXISTS bimbala.class_runs(text[], text[]);
DROP FUNCTION IF EXISTS bimbala.most_missed(timestamptz, integer, text[], text[]);

CREATE FUNCTION bimbala.class_shares(since timestamptz, lessons text[], exercises text[])
RETURNS TABLE(learner name, lesson text, exercise text, first_tries bigint, right_first bigint, last_answer timestamptz)
LANGUAGE sql STABLE AS $$
    SELECT * FROM (
        SELECT a.learner, a.lesson, a.exercise, count(*), count(*) FILTER (WHERE a."right" AND NOT a.solution_shown), max(a.at)
        FROM bimbala.answers a
        WHERE a.at >= since AND NOT a.retry
        GROUP BY 1, 2, 3) s
    WHERE (s.lesson, s.exercise) IN (SELECT * FROM unnest(lessons, exercises))
    ORDER BY 1, 2, 3;
$$;

CREATE FUNCTION bimbala.class_runs(lessons text[], exercises text[])
RETURNS TABLE(learner name, lesson text, exercise text, accomplished bigint, last_run timestamptz)
LANGUAGE sql STABLE AS $$
    SELECT * FROM (
        SELECT r.learner, r.lesson, r.exercise, count(*) FILTER (WHERE r.outcome = 'accomplished'), max(r.ended)
        FROM bimbala.runs r
        GROUP BY 1, 2, 3) s
    WHERE (s.lesson, s.exercise) IN (SELECT * FROM unnest(lessons, exercises))
    ORDER BY 1, 2, 3;
$$;

-- The first how_many of each lesson (the ten of all lessons are among them), by the
-- learners who missed the item, then by the misses: one learner's repetitions never
-- put an item above one that several learners missed.
CREATE FUNCTION bimbala.most_missed(since timestamptz, how_many integer, lessons text[], exercises text[])
RETURNS TABLE(lesson text, exercise text, item text, expected text, learners bigint, misses bigint)
LANGUAGE sql STABLE AS $$
    SELECT m.lesson, m.exercise, m.item, m.expected, m.learners, m.misses FROM (
        SELECT i.lesson, i.exercise, i.item, i.expected, count(*) AS learners, sum(i.misses)::bigint AS misses,
               row_number() OVER (PARTITION BY i.lesson ORDER BY count(*) DESC, sum(i.misses) DESC,
                                  i.exercise, i.item, i.expected) AS place
        FROM (
            SELECT a.lesson, a.exercise, a.item, a.expected, a.learner, count(*) AS misses
            FROM bimbala.answers a
            WHERE a.at >= since AND (NOT a."right" OR a.solution_shown)
            GROUP BY 1, 2, 3, 4, 5) i
        WHERE (i.lesson, i.exercise) IN (SELECT * FROM unnest(lessons, exercises))
        GROUP BY 1, 2, 3, 4) m
    WHERE m.place <= how_many
    ORDER BY 5 DESC, 6 DESC, 1, 2, 3, 4;
$$;

-- Per learner and lesson, with the teacher's rights: the items answered, those due at
-- `at_time` for the recall aimed at, and the mean chance of recall then.
DROP FUNCTION IF EXISTS bimbala.class_reviews(timestamptz, double precision, text[], text[]);
CREATE FUNCTION bimbala.class_reviews(at_time timestamptz, retention double precision, lessons text[], exercises text[])
RETURNS TABLE(learner name, lesson text, items bigint, due bigint, recall double precision)
LANGUAGE sql STABLE AS $$
    SELECT m.learner, m.lesson, count(*),
           count(*) FILTER (WHERE m.state[3] + m.state[1] * 86400 * 81 / 19 * (pg_catalog.power(retention, -2) - 1)
                                  <= pg_catalog.date_part('epoch', at_time)),
           avg(pg_catalog.power(1 + 19.0 / 81 * GREATEST(0, pg_catalog.date_part('epoch', at_time) - m.state[3])
                                / 86400 / m.state[1], -0.5))
    FROM bimbala.memory m
    WHERE (m.lesson, m.exercise) IN (SELECT * FROM unnest(lessons, exercises))
    GROUP BY 1, 2
    ORDER BY 1, 2;
$$;

-- The administrator's helpers, the superuser's alone. Roles are made without a
-- password: a password given to a function would be written to the server's log with
-- the statement (and again with its context) whenever the statement is logged or
-- refused. The administrator sets each with psql's \password NAME, which sends only a
-- hashed verifier. The search path is fixed and every name reaches CREATE ROLE quoted
-- by format(). Earlier versions took a password: those are dropped.
DROP FUNCTION IF EXISTS bimbala.add_learner(name, text, text);
DROP FUNCTION IF EXISTS bimbala.add_teacher(name, text, text);

CREATE OR REPLACE FUNCTION bimbala.add_class(class_name text) RETURNS void
LANGUAGE sql SET search_path = pg_catalog, pg_temp AS $$
    INSERT INTO bimbala.classes(name) VALUES (class_name) ON CONFLICT DO NOTHING;
$$;

-- A login role of the group `grp` for add_learner and add_teacher: `login` as given, or a
-- pseudonym, `prefix` and 8 random letters and digits, not taken yet. A role that exists
-- already is taken only as a plain member of that group (registered in another class
-- database on this server, or given a second class), never any other role. Each such
-- role may hold 4 connections at once (two computers, a Test, a report), so that
-- nobody's program, or anybody with its password, takes the server's every connection.
CREATE OR REPLACE FUNCTION bimbala.login_role(login name, prefix text, grp name) RETURNS name
LANGUAGE plpgsql SET search_path = pg_catalog, pg_temp AS $$
DECLARE
    made name := login;
BEGIN
    WHILE made IS NULL LOOP
        SELECT prefix || string_agg(substr('abcdefghijklmnopqrstuvwxyz0123456789', 1 + floor(random() * 36)::int, 1), '')
        INTO made FROM generate_series(1, 8);
        IF EXISTS (SELECT FROM pg_roles r WHERE r.rolname = made) THEN
            made := NULL;
        END IF;
    END LOOP;
    IF NOT EXISTS (SELECT FROM pg_roles r WHERE r.rolname = made) THEN
        EXECUTE format('CREATE ROLE %I LOGIN IN ROLE %I', made, grp);
    ELSIF NOT EXISTS (SELECT FROM pg_roles r JOIN pg_auth_members m ON m.member = r.oid JOIN pg_roles g ON g.oid = m.roleid
                      WHERE r.rolname = made AND g.rolname = grp AND NOT r.rolsuper AND NOT r.rolcreaterole) THEN
        RAISE EXCEPTION 'The role % exists already, and is no % of Bimbala', made, substr(grp, 9);
    END IF;
    EXECUTE format('ALTER ROLE %I CONNECTION LIMIT 4', made);
    RETURN made;
END
$$;

-- A new learner in one class, with the real name the teacher sees. Returns the login
-- name to give the learner.
CREATE OR REPLACE FUNCTION bimbala.add_learner(display text, class text, login name DEFAULT NULL) RETURNS name
LANGUAGE plpgsql SET search_path = pg_catalog, pg_temp AS $$
DECLARE
    made name;
BEGIN
    IF NOT EXISTS (SELECT FROM bimbala.classes c WHERE c.name = add_learner.class) THEN
        RAISE EXCEPTION 'There is no class %: bimbala.add_class makes it', add_learner.class;
    END IF;
    IF EXISTS (SELECT FROM bimbala.learners l WHERE l.name = add_learner.login) THEN
        RAISE EXCEPTION '% is a learner here already', add_learner.login;
    END IF;
    made := bimbala.login_role(add_learner.login, 'l', 'bimbala_learner');
    INSERT INTO bimbala.learners(name, class, display) VALUES (made, add_learner.class, add_learner.display);
    RETURN made;
END
$$;

-- A teacher and a class of theirs: the role is made the first time; given the login
-- name again, a teacher gets one more class. Returns the login name.
CREATE OR REPLACE FUNCTION bimbala.add_teacher(display text, class text, login name DEFAULT NULL) RETURNS name
LANGUAGE plpgsql SET search_path = pg_catalog, pg_temp AS $$
DECLARE
    made name;
BEGIN
    IF NOT EXISTS (SELECT FROM bimbala.classes c WHERE c.name = add_teacher.class) THEN
        RAISE EXCEPTION 'There is no class %: bimbala.add_class makes it', add_teacher.class;
    END IF;
    made := bimbala.login_role(add_teacher.login, 't', 'bimbala_teacher');
    INSERT INTO bimbala.teachers(name, class, display) VALUES (made, add_teacher.class, add_teacher.display)
        ON CONFLICT DO NOTHING;
    RETURN made;
END
$$;

-- Learners and teachers registered by an earlier version: the same connection limit.
DO $$
DECLARE
    login name;
BEGIN
    FOR login IN SELECT r.rolname FROM pg_roles r JOIN pg_auth_members m ON m.member = r.oid
                 WHERE m.roleid IN ('bimbala_learner'::regrole, 'bimbala_teacher'::regrole) AND r.rolconnlimit <> 4 LOOP
        EXECUTE format('ALTER ROLE %I CONNECTION LIMIT 4', login);
    END LOOP;
END
$$;

REVOKE ALL ON FUNCTION bimbala.arriving(), bimbala.remembering(), bimbala.remembering_anew(), bimbala.add_class(text), bimbala.login_role(name, text, name),
    bimbala.add_learner(text, text, name), bimbala.add_teacher(text, text, name),
    bimbala.class_shares(timestamptz, text[], text[]), bimbala.class_runs(text[], text[]),
    bimbala.most_missed(timestamptz, integer, text[], text[]),
    bimbala.class_reviews(timestamptz, double precision, text[], text[]) FROM PUBLIC;
GRANT EXECUTE ON FUNCTION bimbala.class_shares(timestamptz, text[], text[]), bimbala.class_runs(text[], text[]),
    bimbala.most_missed(timestamptz, integer, text[], text[]),
    bimbala.class_reviews(timestamptz, double precision, text[], text[]) TO bimbala_teacher;
