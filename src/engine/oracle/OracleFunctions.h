#pragma once
// Oracle functions for the embedded engine: DECODE, NVL, NVL2, TO_DATE,
// TO_CHAR, SYSDATE, LENGTHB, CONCAT; and the engine's own helpers that the
// dictionary views and the constraint triggers call (KOVA_*).
struct sqlite3;

// Returns false when a function could not be registered.
bool RegisterOracleFunctions(sqlite3* db);

// Bytes of a UTF-8 text in the database character set, code page 932: one for
// ASCII and half-width katakana, two for every other character.
long long Cp932Length(const char* utf8, int bytes);
