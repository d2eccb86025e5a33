#include "app/store/pg_schema.h"

#include "app/store/pg_binary.h"
#include "app/store/pg_connection.h"

namespace tallyhouse::app {

using namespace tallyhouse::platform;

namespace {

// From version 0 (nothing) to 1. Names are bytea, as poll names and answers are the bytes
// received. A label's index entry is its SHA-256: an answer line may be longer than an index
// entry can be. Answers, tallies and one-answer notes are written only by add_answers and the
// import, each under the lock of its poll's row, which keep them whole without the cost of
// foreign keys; with the poll locked, no other transaction adds a label of it meanwhile.
//
// add_answers records one request's answers, given in the order of their polls' names, so every
// transaction locks polls (or makes them) in that order and two requests never wait for each
// other in a circle. It returns the polls withheld by the one-answer rule (checked and noted
// under the poll's lock) with the repeats to log for each, at most once a minute per poll. It
// fails the whole request with the SQLSTATE refusal names: in the order the poll folder checks
// them, TH002 for more than max_new new polls, TH004 beyond max_polls polls, TH003 for a closed
// poll, TH001 for a new poll while may_create is false.
constexpr const char* kToVersion1 = R"sql(
CREATE SCHEMA IF NOT EXISTS tallyhouse;
CREATE TABLE tallyhouse.schema_version (
    version integer NOT NULL,
    store uuid NOT NULL DEFAULT gen_random_uuid());
CREATE TABLE tallyhouse.secret (
    only_row boolean PRIMARY KEY DEFAULT true CHECK (only_row),
    keys text NOT NULL);
CREATE TABLE tallyhouse.polls (
    id bigserial PRIMARY KEY,
    name bytea NOT NULL UNIQUE,
    answers bigint NOT NULL DEFAULT 0,
    last_answer bigint NOT NULL DEFAULT 0,
    closed boolean NOT NULL DEFAULT false,
    repeats bigint NOT NULL DEFAULT 0,
    repeats_logged bigint NOT NULL DEFAULT 0);
COMMENT ON COLUMN tallyhouse.polls.closed IS 'Set by the operator: the poll takes no more answers';
CREATE TABLE tallyhouse.answers (
    poll bigint NOT NULL,
    id bigserial,
    stamp bytea NOT NULL,
    address bytea NOT NULL,
    answer bytea NOT NULL,
    line bytea,
    PRIMARY KEY (poll, id));
COMMENT ON COLUMN tallyhouse.answers.line IS
    'An imported line as it stood in its file, with its line break; NULL for a line the program wrote from the other fields';
CREATE TABLE tallyhouse.tallies (
    poll bigint NOT NULL,
    label_hash bytea NOT NULL,
    label bytea NOT NULL,
    count bigint NOT NULL,
    first_line bigint NOT NULL,
    PRIMARY KEY (poll, label_hash));
CREATE TABLE tallyhouse.answered (
    poll bigint NOT NULL,
    visitor bigint NOT NULL,
    answered_at bigint NOT NULL,
    PRIMARY KEY (poll, visitor));
CREATE FUNCTION tallyhouse.refusal(names bytea[], may_create boolean, max_new integer, max_polls bigint)
RETURNS text LANGUAGE sql STABLE AS $$
    WITH missing AS (SELECT count(DISTINCT n) AS c FROM unnest(names) AS n
                     WHERE NOT EXISTS (SELECT FROM tallyhouse.polls p WHERE p.name = n))
    SELECT CASE
        WHEN may_create AND c > max_new THEN 'TH002'
        WHEN may_create AND c > 0 AND (SELECT count(*) FROM tallyhouse.polls) + c > max_polls THEN 'TH004'
        WHEN EXISTS (SELECT FROM tallyhouse.polls p WHERE p.name = ANY (names) AND p.closed) THEN 'TH003'
        WHEN NOT may_create AND c > 0 THEN 'TH001'
    END FROM missing
$$;
CREATE FUNCTION tallyhouse.add_answers(poll_names bytea[], stamps bytea[], addresses bytea[], texts bytea[],
                                       labels bytea[], may_create boolean, max_new integer, max_polls bigint,
                                       visitors bigint[], window_seconds bigint, now_seconds bigint)
RETURNS TABLE (withheld_poll bytea, repeats_to_log bigint) LANGUAGE plpgsql AS $$
DECLARE
    answers_given integer := coalesce(array_length(poll_names, 1), 0);
    ruled boolean := cardinality(visitors) > 0;
    looked boolean := false;
    refused text;
    skipped bytea;
    v_poll bigint;
    v_line bigint;
    v_answer bigint;
    v_closed boolean;
    v_logged bigint;
    v_hash bytea;
BEGIN
    FOR i IN 1 .. answers_given LOOP
        CONTINUE WHEN poll_names[i] = skipped;
        IF ruled AND (i = 1 OR poll_names[i] <> poll_names[i - 1]) THEN
            SELECT p.id, p.closed INTO v_poll, v_closed FROM tallyhouse.polls p WHERE p.name = poll_names[i] FOR UPDATE;
            IF FOUND AND NOT v_closed AND EXISTS (
                    SELECT FROM tallyhouse.answered a WHERE a.poll = v_poll AND a.visitor = ANY (visitors)
                    AND (window_seconds = 0 OR a.answered_at > now_seconds - window_seconds)) THEN
                skipped := poll_names[i];
                UPDATE tallyhouse.polls p SET repeats = p.repeats + 1 WHERE p.id = v_poll
                    RETURNING p.repeats, p.repeats_logged INTO repeats_to_log, v_logged;
                IF v_logged = 0 OR now_seconds - v_logged >= 60 THEN
                    UPDATE tallyhouse.polls p SET repeats = 0, repeats_logged = now_seconds WHERE p.id = v_poll;
                ELSE
                    repeats_to_log := 0;
                END IF;
                withheld_poll := skipped;
                RETURN NEXT;
                CONTINUE;
            END IF;
        END IF;
        UPDATE tallyhouse.polls p SET answers = p.answers + 1, last_answer = nextval('tallyhouse.answers_id_seq')
            WHERE p.name = poll_names[i]
            RETURNING p.id, p.answers, p.last_answer, p.closed INTO v_poll, v_line, v_answer, v_closed;
        IF NOT FOUND THEN
            IF NOT looked THEN
                refused := tallyhouse.refusal(poll_names, may_create, max_new, max_polls);
                IF refused IS NOT NULL THEN
                    RAISE EXCEPTION 'answers refused' USING ERRCODE = refused;
                END IF;
                looked := true;
            END IF;
            INSERT INTO tallyhouse.polls AS p (name, answers, last_answer)
                VALUES (poll_names[i], 1, nextval('tallyhouse.answers_id_seq'))
                ON CONFLICT (name) DO UPDATE SET answers = p.answers + 1, last_answer = excluded.last_answer
                RETURNING p.id, p.answers, p.last_answer, p.closed INTO v_poll, v_line, v_answer, v_closed;
        END IF;
        IF v_closed THEN
            RAISE EXCEPTION 'answers refused'
                USING ERRCODE = coalesce(tallyhouse.refusal(poll_names, may_create, max_new, max_polls), 'TH003');
        END IF;
        INSERT INTO tallyhouse.answers (poll, id, stamp, address, answer)
            VALUES (v_poll, v_answer, stamps[i], addresses[i], texts[i]);
        v_hash := sha256(labels[i]);
        UPDATE tallyhouse.tallies t SET count = t.count + 1 WHERE t.poll = v_poll AND t.label_hash = v_hash;
        IF NOT FOUND THEN
            INSERT INTO tallyhouse.tallies (poll, label_hash, label, count, first_line)
                VALUES (v_poll, v_hash, labels[i], 1, v_line);
        END IF;
        IF ruled AND (i = answers_given OR poll_names[i + 1] <> poll_names[i]) THEN
            INSERT INTO tallyhouse.answered AS a (poll, visitor, answered_at)
                SELECT v_poll, v, now_seconds FROM unnest(visitors) AS v
                ON CONFLICT (poll, visitor) DO UPDATE SET answered_at = excluded.answered_at;
        END IF;
    END LOOP;
END $$;
INSERT INTO tallyhouse.schema_version (version) VALUES (1);
)sql";

// From version 1 to 2: an answer is recorded without changing any row others change too. Each
// answer goes with a row of pending (its poll, id and label) into the tallies only later: a
// fold (tallyhouse.fold, when a view found pending rows) deletes the pending rows it sees and
// adds them to the counts under the poll's lock, so what a transaction still in flight adds is
// folded by a later one. Counts are the tallies and the pending rows together, and a poll's
// number of lines is its answers plus its pending rows. A label's first appearance is the id of
// its first answer (ids follow the poll's order of lines); a count kept by version 1 keeps its
// line number, which is never above the id of that line, so it still comes before every later
// answer. Every writer of pending takes the table's lock before any poll's, so an import (which
// holds pending exclusively while it appends a poll's lines) waits for the answers in flight
// and holds back new ones, and no answer's id falls between the imported lines.
//
// add_answers is as in version 1 (order of polls, refusals, the one-answer rule under the poll's
// lock) but appends as the one answer of a request does.
constexpr const char* kToVersion2 = R"sql(
CREATE TABLE tallyhouse.pending (
    poll bigint NOT NULL,
    id bigint NOT NULL,
    label bytea NOT NULL);
CREATE INDEX pending_poll ON tallyhouse.pending (poll);
-- Planned for any poll, a statement expects few pending rows, as most polls have, and reads them
-- by the index, even when the statistics saw one poll's answers only.
ALTER TABLE tallyhouse.pending ALTER COLUMN poll SET (n_distinct = -1);
ALTER TABLE tallyhouse.tallies RENAME COLUMN first_line TO first_answer;
COMMENT ON COLUMN tallyhouse.tallies.first_answer IS
    'The id of the label''s first answer; a count made before version 2 keeps its line number, which orders alike';
ALTER TABLE tallyhouse.polls DROP COLUMN last_answer;
COMMENT ON COLUMN tallyhouse.polls.answers IS 'The answer lines counted in tallies; those in pending are not yet';
CREATE OR REPLACE FUNCTION tallyhouse.add_answers(poll_names bytea[], stamps bytea[], addresses bytea[], texts bytea[],
                                                  labels bytea[], may_create boolean, max_new integer, max_polls bigint,
                                                  visitors bigint[], window_seconds bigint, now_seconds bigint)
RETURNS TABLE (withheld_poll bytea, repeats_to_log bigint) LANGUAGE plpgsql AS $$
DECLARE
    answers_given integer := coalesce(array_length(poll_names, 1), 0);
    ruled boolean := cardinality(visitors) > 0;
    looked boolean := false;
    found_poll boolean;
    refused text;
    skipped bytea;
    v_poll bigint;
    v_closed boolean;
    v_logged bigint;
BEGIN
    LOCK TABLE tallyhouse.pending IN ROW EXCLUSIVE MODE;
    FOR i IN 1 .. answers_given LOOP
        CONTINUE WHEN poll_names[i] = skipped;
        IF i = 1 OR poll_names[i] <> poll_names[i - 1] THEN
            IF ruled THEN
                SELECT p.id, p.closed INTO v_poll, v_closed FROM tallyhouse.polls p WHERE p.name = poll_names[i] FOR UPDATE;
            ELSE
                SELECT p.id, p.closed INTO v_poll, v_closed FROM tallyhouse.polls p WHERE p.name = poll_names[i];
            END IF;
            found_poll := FOUND;
            IF ruled AND found_poll AND NOT v_closed AND EXISTS (
                    SELECT FROM tallyhouse.answered a WHERE a.poll = v_poll AND a.visitor = ANY (visitors)
                    AND (window_seconds = 0 OR a.answered_at > now_seconds - window_seconds)) THEN
                skipped := poll_names[i];
                UPDATE tallyhouse.polls p SET repeats = p.repeats + 1 WHERE p.id = v_poll
                    RETURNING p.repeats, p.repeats_logged INTO repeats_to_log, v_logged;
                IF v_logged = 0 OR now_seconds - v_logged >= 60 THEN
                    UPDATE tallyhouse.polls p SET repeats = 0, repeats_logged = now_seconds WHERE p.id = v_poll;
                ELSE
                    repeats_to_log := 0;
                END IF;
                withheld_poll := skipped;
                RETURN NEXT;
                CONTINUE;
            END IF;
            IF NOT found_poll THEN
                IF NOT looked THEN
                    refused := tallyhouse.refusal(poll_names, may_create, max_new, max_polls);
                    IF refused IS NOT NULL THEN
                        RAISE EXCEPTION 'answers refused' USING ERRCODE = refused;
                    END IF;
                    looked := true;
                END IF;
                INSERT INTO tallyhouse.polls AS p (name) VALUES (poll_names[i])
                    ON CONFLICT (name) DO UPDATE SET name = excluded.name
                    RETURNING p.id, p.closed INTO v_poll, v_closed;
            END IF;
            IF v_closed THEN
                RAISE EXCEPTION 'answers refused'
                    USING ERRCODE = coalesce(tallyhouse.refusal(poll_names, may_create, max_new, max_polls), 'TH003');
            END IF;
        END IF;
        WITH a AS (INSERT INTO tallyhouse.answers (poll, stamp, address, answer)
                   VALUES (v_poll, stamps[i], addresses[i], texts[i]) RETURNING id)
        INSERT INTO tallyhouse.pending (poll, id, label) SELECT v_poll, a.id, labels[i] FROM a;
        IF ruled AND (i = answers_given OR poll_names[i + 1] <> poll_names[i]) THEN
            INSERT INTO tallyhouse.answered AS a (poll, visitor, answered_at)
                SELECT v_poll, v, now_seconds FROM unnest(visitors) AS v
                ON CONFLICT (poll, visitor) DO UPDATE SET answered_at = excluded.answered_at;
        END IF;
    END LOOP;
END $$;
-- Folds what it sees of the poll's pending rows into its tallies. It waits for no one: while
-- another transaction folds the poll, holds its row or imports, it leaves the rows to a later fold.
CREATE FUNCTION tallyhouse.fold(poll_id bigint) RETURNS void LANGUAGE plpgsql AS $$
BEGIN
    LOCK TABLE tallyhouse.pending IN ROW EXCLUSIVE MODE NOWAIT;
    PERFORM FROM tallyhouse.polls p WHERE p.id = poll_id FOR NO KEY UPDATE SKIP LOCKED;
    IF NOT FOUND THEN
        RETURN;
    END IF;
    WITH gone AS (DELETE FROM tallyhouse.pending q WHERE q.poll = poll_id RETURNING q.id, q.label),
         counted AS (SELECT g.label, count(*) AS n, min(g.id) AS first FROM gone g GROUP BY g.label),
         added AS (INSERT INTO tallyhouse.tallies AS t (poll, label_hash, label, count, first_answer)
                   SELECT poll_id, sha256(c.label), c.label, c.n, c.first FROM counted c
                   ON CONFLICT (poll, label_hash) DO UPDATE
                   SET count = t.count + excluded.count, first_answer = least(t.first_answer, excluded.first_answer))
    UPDATE tallyhouse.polls p SET answers = p.answers + (SELECT coalesce(sum(c.n), 0) FROM counted c) WHERE p.id = poll_id;
EXCEPTION WHEN lock_not_available THEN
    RETURN;
END $$;
UPDATE tallyhouse.schema_version SET version = 2;
)sql";

// Each script takes the schema from its place in the list to the next version.
constexpr const char* kMigrations[kSchemaVersion] = {kToVersion1, kToVersion2};

struct TSchemaState {
    int version = 0;
    std::string store;
};

// A database without the schema (or without its version table) has version 0.
TSchemaState ReadState(TPgConnection& connection) {
    try {
        const TPgResult state = connection.Run("SELECT version, store::text FROM tallyhouse.schema_version");
        if (ResultRows(state) != 1) throw EStoreError("tallyhouse.schema_version must hold one row");
        return {ReadInt4(ResultValue(state, 0, 0)), std::string(ResultValue(state, 0, 1))};
    } catch (const EStoreError& missing) {
        if (missing.SqlState() == "42P01" || missing.SqlState() == "3F000") return {};
        throw;
    }
}

// Connections that find the schema missing or old at the same moment take turns: the lock is
// the session's, so each reads the state anew in a transaction of its own once it has it, when
// what the other made can be seen.
void Migrate(TPgConnection& connection) {
    connection.Run("SELECT pg_advisory_lock(8386087585396795253)");
    try {
        const int from = ReadState(connection).version;
        if (from < kSchemaVersion) {
            connection.Script("BEGIN");
            for (int version = from; version < kSchemaVersion; ++version) connection.Script(kMigrations[version]);
            connection.Script("COMMIT");
        }
    } catch (const Exception&) {
        connection.Abandon();
        connection.Run("SELECT pg_advisory_unlock(8386087585396795253)");
        throw;
    }
    connection.Run("SELECT pg_advisory_unlock(8386087585396795253)");
}

}  // namespace

std::string_view MigrationScript(int from) { return kMigrations[from]; }

std::string PrepareSchema(TPgConnection& connection) {
    TSchemaState state = ReadState(connection);
    if (state.version < kSchemaVersion) {
        Migrate(connection);
        state = ReadState(connection);
    }
    if (state.version != kSchemaVersion)
        throw EStoreError("The database holds the tallyhouse schema of version " + std::to_string(state.version) +
                          "; this program knows version " + std::to_string(kSchemaVersion));
    return state.store;
}

}  // namespace tallyhouse::app
