-- The layout documents are loaded into (SQLite). Version 1.
-- docs/database.md describes every column; keep schema-postgresql.sql alike.

CREATE TABLE files (
    id           INTEGER PRIMARY KEY,
    path         TEXT NOT NULL UNIQUE,
    content_hash TEXT NOT NULL,
    bytes        INTEGER NOT NULL,
    doc_type     TEXT NOT NULL,
    loaded_at    TEXT NOT NULL
);
CREATE INDEX files_content_hash ON files (content_hash);

CREATE TABLE interchanges (
    file_id              INTEGER NOT NULL,
    interchange_no       INTEGER NOT NULL,
    sender_qualifier     TEXT,
    sender_id            TEXT,
    receiver_qualifier   TEXT,
    receiver_id          TEXT,
    date                 TEXT,
    time                 TEXT,
    control_number       TEXT,
    version              TEXT,
    usage_indicator      TEXT,
    element_separator    TEXT NOT NULL,
    component_separator  TEXT,
    repetition_separator TEXT,
    segment_terminator   TEXT NOT NULL,
    PRIMARY KEY (file_id, interchange_no)
) WITHOUT ROWID;
CREATE INDEX interchanges_sender ON interchanges (sender_id);
CREATE INDEX interchanges_receiver ON interchanges (receiver_id);
CREATE INDEX interchanges_date ON interchanges (date);
CREATE INDEX interchanges_control_number ON interchanges (control_number);

CREATE TABLE groups (
    file_id        INTEGER NOT NULL,
    group_no       INTEGER NOT NULL,
    interchange_no INTEGER NOT NULL,
    functional_id  TEXT,
    sender_code    TEXT,
    receiver_code  TEXT,
    date           TEXT,
    time           TEXT,
    control_number TEXT,
    agency         TEXT,
    version        TEXT,
    PRIMARY KEY (file_id, group_no)
) WITHOUT ROWID;
CREATE INDEX groups_sender ON groups (sender_code);
CREATE INDEX groups_receiver ON groups (receiver_code);
CREATE INDEX groups_date ON groups (date);
CREATE INDEX groups_control_number ON groups (control_number);
CREATE INDEX groups_functional_id ON groups (functional_id);

CREATE TABLE transactions (
    file_id        INTEGER NOT NULL,
    transaction_no INTEGER NOT NULL,
    interchange_no INTEGER NOT NULL,
    group_no       INTEGER,
    set_id         TEXT,
    control_number TEXT,
    doc_type       TEXT NOT NULL,
    loop_count     INTEGER NOT NULL,
    segment_count  INTEGER NOT NULL,
    PRIMARY KEY (file_id, transaction_no)
) WITHOUT ROWID;
CREATE INDEX transactions_set_id ON transactions (set_id);
CREATE INDEX transactions_control_number ON transactions (control_number);
CREATE INDEX transactions_group ON transactions (file_id, group_no);

CREATE TABLE segments (
    file_id        INTEGER NOT NULL,
    segment_no     INTEGER NOT NULL,
    interchange_no INTEGER,
    group_no       INTEGER,
    transaction_no INTEGER,
    identifier     TEXT NOT NULL,
    loop_path      TEXT NOT NULL,
    text           TEXT NOT NULL,
    PRIMARY KEY (file_id, segment_no)
) WITHOUT ROWID;
CREATE INDEX segments_identifier ON segments (identifier);
CREATE INDEX segments_transaction ON segments (file_id, transaction_no);

CREATE TABLE elements (
    file_id    INTEGER NOT NULL,
    segment_no INTEGER NOT NULL,
    position   INTEGER NOT NULL,
    repetition INTEGER NOT NULL,
    component  INTEGER NOT NULL,
    value      TEXT NOT NULL,
    name       TEXT,
    PRIMARY KEY (file_id, segment_no, position, repetition, component)
) WITHOUT ROWID;
CREATE INDEX elements_value ON elements (value);
