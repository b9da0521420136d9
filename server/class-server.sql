-- Bimbala! class server: the tables, roles and row-level security that let each
-- learner's program send its answers and runs, and a teacher read its own class.
--
-- Run by the database's owner (a role with CREATEROLE) on an empty database:
--   psql -v ON_ERROR_STOP=1 --single-transaction -h HOST -U OWNER -d DATABASE -f class-server.sql
-- Running it again is harmless: it leaves the rows as they are and puts the
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

-- Only the owner creates anything: in our own schema nobody else is given CREATE,
-- and public is closed as PostgreSQL 15 closes it (before 15 public belongs to the
-- superuser, who runs this line once; the owner just gets a warning).
CREATE SCHEMA IF NOT EXISTS bimbala;
REVOKE ALL ON SCHEMA bimbala FROM PUBLIC;
REVOKE CREATE ON SCHEMA public FROM PUBLIC;

CREATE TABLE IF NOT EXISTS bimbala.classes(
    name text PRIMARY KEY
);

-- A teacher may have several classes.
CREATE TABLE IF NOT EXISTS bimbala.teachers(
    name name NOT NULL,
    class text NOT NULL REFERENCES bimbala.classes ON UPDATE CASCADE,
    PRIMARY KEY (name, class)
);

CREATE TABLE IF NOT EXISTS bimbala.learners(
    name name PRIMARY KEY,
    class text NOT NULL REFERENCES bimbala.classes ON UPDATE CASCADE
);
CREATE INDEX IF NOT EXISTS learners_by_class ON bimbala.learners(class);

-- The program's record as it is sent: the same fields as the learner's own file,
-- keyed by the answer's unique id, so an answer sent twice is kept once. The learner
-- is whoever sent the row, never a value the program chooses.
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
    run bigint -- the learner's own number of the run (runs.id), none outside a run
);

-- A run is sent once it has ended, whole, so no row is ever changed here.
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
    outcome text NOT NULL CHECK (outcome IN ('accomplished', 'left'))
);

-- A teacher's report reads its learners' last 30 days (the functions below): the
-- first index finds them, the second only their misses, a small part of the answers.
-- Answers arrive in time order, so the rows found lie together in the table; columns
-- carried in the indexes (INCLUDE) made them twice the size and no report quicker.
CREATE INDEX IF NOT EXISTS answers_by_learner ON bimbala.answers(learner, at);
CREATE INDEX IF NOT EXISTS answers_missed ON bimbala.answers(learner, at) WHERE NOT "right" OR solution_shown;
CREATE INDEX IF NOT EXISTS runs_by_learner ON bimbala.runs(learner, ended);

-- What each group may do at all; the policies below narrow it to rows. Nobody but
-- the owner may UPDATE, DELETE or TRUNCATE: the record here only grows.
REVOKE ALL ON ALL TABLES IN SCHEMA bimbala FROM PUBLIC, bimbala_learner, bimbala_teacher;
GRANT USAGE ON SCHEMA bimbala TO bimbala_learner, bimbala_teacher;
GRANT SELECT, INSERT ON bimbala.answers, bimbala.runs TO bimbala_learner;
GRANT SELECT ON bimbala.learners TO bimbala_learner;
GRANT SELECT ON bimbala.answers, bimbala.runs, bimbala.learners, bimbala.teachers TO bimbala_teacher;

-- Every table answers to its policies, the owner's queries too; the owner's own
-- policy lets it see and manage every row (it is the role running this script).
DO $$
DECLARE
    t text;
BEGIN
    FOREACH t IN ARRAY ARRAY['classes', 'teachers', 'learners', 'answers', 'runs'] LOOP
        EXECUTE format('ALTER TABLE bimbala.%I ENABLE ROW LEVEL SECURITY, FORCE ROW LEVEL SECURITY', t);
        EXECUTE format('DROP POLICY IF EXISTS administrator ON bimbala.%I', t);
        EXECUTE format('CREATE POLICY administrator ON bimbala.%I TO %I USING (true) WITH CHECK (true)',
                       t, current_user);
    END LOOP;
END
$$;

-- A learner reads its own row of learners only (the answers' insert policy asks it
-- whether the learner is registered); the names of the others stay hidden.
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
        EXECUTE format('DROP POLICY IF EXISTS teacher_reads ON bimbala.%I', t);
        EXECUTE format('CREATE POLICY teacher_reads ON bimbala.%I FOR SELECT TO bimbala_teacher '
                       'USING (learner = ANY (ARRAY(SELECT l.name FROM bimbala.learners l '
                       'JOIN bimbala.teachers t ON t.class = l.class WHERE t.name = current_user)))', t);
    END LOOP;
END
$$;

-- A teacher's report, as the indexes above are made for: per learner and exercise, the
-- first tries of the last days, how many were right (without the solution shown) and
-- the last answer among them; the runs accomplished and the last run ever; and per
-- lesson the items missed most often (a wrong answer or the solution shown), as the
-- learner's own Progress window counts them. They run with the caller's rights, so
-- the policies choose whose rows they count. Dropped first: a newer script may give
-- them other columns.
DROP FUNCTION IF EXISTS bimbala.class_shares(integer);
CREATE FUNCTION bimbala.class_shares(days integer)
RETURNS TABLE(learner name, lesson text, exercise text, first_tries bigint, right_first bigint, last_answer timestamptz)
LANGUAGE sql STABLE SET search_path = pg_catalog, pg_temp AS $$
    SELECT a.learner, a.lesson, a.exercise, count(*), count(*) FILTER (WHERE a."right" AND NOT a.solution_shown), max(a.at)
    FROM bimbala.answers a
    WHERE a.at >= now() - make_interval(days => days) AND NOT a.retry
    GROUP BY 1, 2, 3 ORDER BY 1, 2, 3;
$$;

DROP FUNCTION IF EXISTS bimbala.class_runs();
CREATE FUNCTION bimbala.class_runs()
RETURNS TABLE(learner name, lesson text, exercise text, accomplished bigint, last_run timestamptz)
LANGUAGE sql STABLE SET search_path = pg_catalog, pg_temp AS $$
    SELECT r.learner, r.lesson, r.exercise, count(*) FILTER (WHERE r.outcome = 'accomplished'), max(r.ended)
    FROM bimbala.runs r
    GROUP BY 1, 2, 3 ORDER BY 1, 2, 3;
$$;

-- The first how_many of each lesson: the ten of all lessons are among them.
DROP FUNCTION IF EXISTS bimbala.most_missed(integer, integer);
CREATE FUNCTION bimbala.most_missed(days integer, how_many integer)
RETURNS TABLE(lesson text, exercise text, item text, expected text, misses bigint)
LANGUAGE sql STABLE SET search_path = pg_catalog, pg_temp AS $$
    SELECT m.lesson, m.exercise, m.item, m.expected, m.misses FROM (
        SELECT a.lesson, a.exercise, a.item, a.expected, count(*) AS misses,
               row_number() OVER (PARTITION BY a.lesson ORDER BY count(*) DESC, a.exercise, a.item, a.expected) AS place
        FROM bimbala.answers a
        WHERE a.at >= now() - make_interval(days => days) AND (NOT a."right" OR a.solution_shown)
        GROUP BY 1, 2, 3, 4) m
    WHERE m.place <= how_many
    ORDER BY 5 DESC, 1, 2, 3, 4;
$$;

-- The administrator's helpers. They run with the rights of whoever calls them
-- (SECURITY INVOKER) and only the owner may call them: a role that can make login
-- roles is the owner's alone, never lent out through a function. The search path is
-- fixed and every name and password reaches CREATE ROLE quoted by format().
-- Passwords are stored as scram-sha-256 whatever the server's default.
CREATE OR REPLACE FUNCTION bimbala.add_class(class_name text) RETURNS void
LANGUAGE sql SET search_path = pg_catalog, pg_temp AS $$
    INSERT INTO bimbala.classes(name) VALUES (class_name) ON CONFLICT DO NOTHING;
$$;

-- A new learner: a login role in the learners' group, in one class. A role that
-- exists already is refused, so that no one's password is changed by mistake.
CREATE OR REPLACE FUNCTION bimbala.add_learner(role_name name, password text, class_name text) RETURNS void
LANGUAGE plpgsql SET search_path = pg_catalog, pg_temp SET password_encryption = 'scram-sha-256' AS $$
BEGIN
    INSERT INTO bimbala.learners(name, class) VALUES (role_name, class_name);
    EXECUTE format('CREATE ROLE %I LOGIN PASSWORD %L IN ROLE bimbala_learner', role_name, password);
END
$$;

-- A teacher and a class of theirs: the role is made the first time, and a teacher
-- already registered just gets one more class (the password given is then unused).
CREATE OR REPLACE FUNCTION bimbala.add_teacher(role_name name, password text, class_name text) RETURNS void
LANGUAGE plpgsql SET search_path = pg_catalog, pg_temp SET password_encryption = 'scram-sha-256' AS $$
BEGIN
    IF NOT EXISTS (SELECT FROM bimbala.teachers t WHERE t.name = role_name) THEN
        EXECUTE format('CREATE ROLE %I LOGIN PASSWORD %L IN ROLE bimbala_teacher', role_name, password);
    END IF;
    INSERT INTO bimbala.teachers(name, class) VALUES (role_name, class_name) ON CONFLICT DO NOTHING;
END
$$;

REVOKE ALL ON FUNCTION bimbala.add_class(text), bimbala.add_learner(name, text, text),
    bimbala.add_teacher(name, text, text), bimbala.class_shares(integer), bimbala.class_runs(),
    bimbala.most_missed(integer, integer) FROM PUBLIC;
GRANT EXECUTE ON FUNCTION bimbala.class_shares(integer), bimbala.class_runs(), bimbala.most_missed(integer, integer)
    TO bimbala_teacher;
