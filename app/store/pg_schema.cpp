#include "app/store/pg_schema.h"

#include "app/store/pg_binary.h"
#include "app/store/pg_connection.h"

namespace {

// From version 0 (nothing) to 1. Names are bytea, as poll names and answers are the bytes
// received. A label's index entry is its SHA-256: an answer line may be longer than an index
// entry can be. Answers and tallies are written only by add_answers and the import, each under
// the lock of its poll's row, which keep them whole without the cost of foreign keys. add_answers
// records one request's answers, given in the order of their polls' names, so every transaction
// locks polls (or makes them) in that order and two requests never wait for each other in a
// circle; with the poll locked, no other transaction can add a label of it meanwhile. It fails
// the whole request with SQLSTATE TH001 when a poll is missing and may not be made, TH002 when
// more than max_new are missing.
constexpr const char* kToVersion1 = R"sql(
CREATE SCHEMA IF NOT EXISTS tallyhouse;
CREATE TABLE tallyhouse.schema_version (
    version integer NOT NULL,
    store uuid NOT NULL DEFAULT gen_random_uuid());
CREATE TABLE tallyhouse.polls (
    id bigserial PRIMARY KEY,
    name bytea NOT NULL UNIQUE,
    answers bigint NOT NULL DEFAULT 0,
    last_answer bigint NOT NULL DEFAULT 0);
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
CREATE INDEX tallies_in_order ON tallyhouse.tallies (poll, first_line);
CREATE FUNCTION tallyhouse.add_answers(poll_names bytea[], stamps bytea[], addresses bytea[],
                                       texts bytea[], labels bytea[], may_create boolean, max_new integer)
RETURNS void LANGUAGE plpgsql AS $$
DECLARE
    made integer := 0;
    v_poll bigint;
    v_line bigint;
    v_answer bigint;
    v_hash bytea;
BEGIN
    FOR i IN 1 .. coalesce(array_length(poll_names, 1), 0) LOOP
        UPDATE tallyhouse.polls p SET answers = p.answers + 1, last_answer = nextval('tallyhouse.answers_id_seq')
            WHERE p.name = poll_names[i] RETURNING p.id, p.answers, p.last_answer INTO v_poll, v_line, v_answer;
        IF NOT FOUND THEN
            IF NOT may_create THEN
                RAISE EXCEPTION 'a new poll is not allowed' USING ERRCODE = 'TH001';
            END IF;
            made := made + 1;
            IF made > max_new THEN
                RAISE EXCEPTION 'too many new polls' USING ERRCODE = 'TH002';
            END IF;
            INSERT INTO tallyhouse.polls AS p (name, answers, last_answer)
                VALUES (poll_names[i], 1, nextval('tallyhouse.answers_id_seq'))
                ON CONFLICT (name) DO UPDATE SET answers = p.answers + 1, last_answer = excluded.last_answer
                RETURNING p.id, p.answers, p.last_answer INTO v_poll, v_line, v_answer;
        END IF;
        INSERT INTO tallyhouse.answers (poll, id, stamp, address, answer)
            VALUES (v_poll, v_answer, stamps[i], addresses[i], texts[i]);
        v_hash := sha256(labels[i]);
        UPDATE tallyhouse.tallies t SET count = t.count + 1 WHERE t.poll = v_poll AND t.label_hash = v_hash;
        IF NOT FOUND THEN
            INSERT INTO tallyhouse.tallies (poll, label_hash, label, count, first_line)
                VALUES (v_poll, v_hash, labels[i], 1, v_line);
        END IF;
    END LOOP;
END $$;
INSERT INTO tallyhouse.schema_version (version) VALUES (1);
)sql";

// Each script takes the schema from its place in the list to the next version.
constexpr const char* kMigrations[kSchemaVersion] = {kToVersion1};

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
