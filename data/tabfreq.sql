-- The bookmark database: one table of memories. EMPTY.MDB is built from this file.
-- Frequency parts are three-digit texts with leading zeros, so ordering them as text is
-- ordering by frequency. Names sort without regard to case.
CREATE TABLE TabFreq (
    id INTEGER PRIMARY KEY,
    Name TEXT COLLATE NOCASE,
    MHz TEXT,
    KHz TEXT,
    Hz TEXT,
    Mode TEXT,
    sMHz TEXT,
    sKHz TEXT,
    sHz TEXT,
    Split INTEGER NOT NULL DEFAULT 0 CHECK (Split IN (0, 1)),
    Scan TEXT
);
