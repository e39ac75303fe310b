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

-- Indexes that serve the six views (by name, by main frequency, each also limited to the
-- memories marked for scanning), so that a view is read a screen at a time in its own
-- order, rowid breaking ties. The marked ones are partial: they hold only marked memories.
CREATE INDEX TabFreqByName ON TabFreq (Name, MHz, KHz, Hz);
CREATE INDEX TabFreqByFreq ON TabFreq (MHz, KHz, Hz);
CREATE INDEX TabFreqMarked ON TabFreq (Scan) WHERE Scan='Y';
CREATE INDEX TabFreqMarkedByName ON TabFreq (Scan, Name, MHz, KHz, Hz) WHERE Scan='Y';
CREATE INDEX TabFreqMarkedByFreq ON TabFreq (Scan, MHz, KHz, Hz) WHERE Scan='Y';
