#include "app/store/pg_schema.h"

#include "app/store/pg_binary.h"
#include "app/store/pg_connection.h"

namespace {

// From version 0 (nothing) to 1. Names are bytea, as poll names and answers are the bytes
// received. A label's index entry is its SHA-256: an answer line may be longer than an index
// entry can be. add_answers records one request's answers with every poll it names locked in
// the order of their names, so two requests never wait for each other in a circle; it answers
// 0 when saved, 1 when a poll is missing and may not be created, 2 when too many are missing.
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
    poll bigint NOT NULL REFERENCES tallyhouse.polls,
    id bigserial,
    stamp bytea NOT NULL,
    address bytea NOT NULL,
    answer bytea NOT NULL,
    line bytea,
    PRIMARY KEY (poll, id));
COMMENT ON COLUMN tallyhouse.answers.line IS
    'An imported line as it stood in its file, with its line break; NULL for a line the program wrote from the other fields';
CREATE TABLE tallyhouse.tallies (
    poll bigint NOT NULL REFERENCES tallyhouse.polls,
    label_hash bytea NOT NULL,
    label bytea NOT NULL,
    count bigint NOT NULL,
    first_line bigint NOT NULL,
    PRIMARY KEY (poll, label_hash));
CREATE INDEX tallies_in_order ON tallyhouse.tallies (poll, first_line);
CREATE FUNCTION tallyhouse.add_answers(poll_names bytea[], stamps bytea[], addresses bytea[],
                                       texts bytea[], labels bytea[], may_create boolean, max_new integer)
RETURNS integer LANGUAGE plpgsql AS $$
DECLARE
    names bytea[] := ARRAY(SELECT DISTINCT n FROM unnest(poll_names) AS n ORDER BY n);
    missing integer;
    v_poll bigint;
    v_line bigint;
    v_answer bigint;
BEGIN
    SELECT count(*) INTO missing FROM unnest(names) AS n
        WHERE NOT EXISTS (SELECT FROM tallyhouse.polls p WHERE p.name = n);
    IF missing > 0 AND NOT may_create THEN RETURN 1; END IF;
    IF missing > max_new THEN RETURN 2; END IF;
    FOR i IN 1 .. coalesce(array_length(names, 1), 0) LOOP
        IF NOT EXISTS (SELECT FROM tallyhouse.polls p WHERE p.name = names[i]) THEN
            INSERT INTO tallyhouse.polls (name) VALUES (names[i]) ON CONFLICT (name) DO NOTHING;
        END IF;
        PERFORM FROM tallyhouse.polls p WHERE p.name = names[i] FOR UPDATE;
    END LOOP;
    FOR i IN 1 .. coalesce(array_length(poll_names, 1), 0) LOOP
        v_answer := nextval('tallyhouse.answers_id_seq');
        UPDATE tallyhouse.polls p SET answers = p.answers + 1, last_answer = v_answer
            WHERE p.name = poll_names[i] RETURNING p.id, p.answers INTO v_poll, v_line;
        INSERT INTO tallyhouse.answers (poll, id, stamp, address, answer)
            VALUES (v_poll, v_answer, stamps[i], addresses[i], texts[i]);
        INSERT INTO tallyhouse.tallies AS t (poll, label_hash, label, count, first_line)
            VALUES (v_poll, sha256(labels[i]), labels[i], 1, v_line)
            ON CONFLICT (poll, label_hash) DO UPDATE SET count = t.count + 1;
    END LOOP;
    RETURN 0;
END $$;
INSERT INTO tallyhouse.schema_version (version) VALUES (1);
)sql";

// Each script takes the schema from its place in the list to the next version.
constexpr const char* kMigrations[kSchemaVersion] = {kToVersion1};

struct TSchemaState {
    int version = 0;
    std::string store;
};

TSchemaState ReadState(TPgConnection& connection) {
    const TPgResult exists = connection.Run("SELECT to_regclass('tallyhouse.schema_version')");
    if (ResultIsNull(exists, 0, 0)) return {};
    const TPgResult state = connection.Run("SELECT version, store::text FROM tallyhouse.schema_version");
    if (ResultRows(state) != 1) throw EStoreError("tallyhouse.schema_version must hold one row");
    return {ReadInt4(ResultValue(state, 0, 0)), std::string(ResultValue(state, 0, 1))};
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
