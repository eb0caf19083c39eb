-- The first schema: drills (one row for each version of a drill file's lines), their lines,
-- the finished runs and the time each line of a run stayed on screen.
PRAGMA application_id = 1263814738;

CREATE TABLE drills (
    id INTEGER PRIMARY KEY,
    path TEXT NOT NULL,
    digest TEXT NOT NULL,
    title TEXT NOT NULL,
    UNIQUE (path, digest)
);

CREATE TABLE drill_lines (
    drill_id INTEGER NOT NULL REFERENCES drills (id) ON DELETE CASCADE,
    line_number INTEGER NOT NULL,
    text TEXT NOT NULL,
    PRIMARY KEY (drill_id, line_number)
) WITHOUT ROWID;

CREATE TABLE runs (
    id INTEGER PRIMARY KEY,
    drill_id INTEGER NOT NULL REFERENCES drills (id) ON DELETE CASCADE,
    started_at TEXT NOT NULL,
    finished_at TEXT NOT NULL,
    elapsed_ms INTEGER NOT NULL,
    lines INTEGER NOT NULL,
    rate INTEGER NOT NULL,
    voice TEXT NOT NULL,
    pace TEXT NOT NULL,
    practice INTEGER NOT NULL DEFAULT 0
);
CREATE INDEX runs_by_drill ON runs (drill_id, finished_at);

CREATE TABLE line_times (
    run_id INTEGER NOT NULL REFERENCES runs (id) ON DELETE CASCADE,
    line_number INTEGER NOT NULL,
    shown_ms INTEGER NOT NULL,
    repeats INTEGER NOT NULL,
    backs INTEGER NOT NULL,
    PRIMARY KEY (run_id, line_number)
) WITHOUT ROWID;
