// CREATE TABLE and CREATE INDEX statements from table definitions.
//
// Conventions:
//  - Every function returns SQL text; each statement ends in ";\n", so
//    results can be appended to one script and run with QeSqlite_Execute.
//  - Declared types: INTEGER for 32- and 64-bit integers, REAL, TEXT, BLOB
//    (a column of any other type gets no declared type). The primary key
//    is "iKey INTEGER PRIMARY KEY" (the row id). Column constraints follow
//    the type in this order: COLLATE, DEFAULT (a quoted text), REFERENCES
//    table(column) with the ON DELETE and ON UPDATE clauses. The table's
//    UNIQUE (...) constraint and its conflict clause close the list.
//  - Index names are "idx_<table>_<column>". A table name qualified by a
//    schema ("main.jobrun_old") puts the index in that schema and names it
//    after the bare table ("main.idx_jobrun_old_iProjKeyRef").
//  - The primary key never gets an index of its own (it is the row id).
#pragma once

#include "qe/core/string.h"
#include "qe/sqlite/table_def.h"

// "CREATE TABLE <name> (...);\n".
CQeStringW QeSqlite_CreateTableSqlCommand(const SQeSqliteTableDef& table);

// The CREATE TABLE statement followed by one CREATE [UNIQUE] INDEX per
// indexed column, in column order.
CQeStringW QeSqlite_CreateTableWithIndexesSqlCommand(const SQeSqliteTableDef& table);

// The table statement opened by verb instead of "CREATE TABLE" (e.g.
// "CREATE TEMP TABLE", "CREATE TABLE IF NOT EXISTS"), for the table named
// tableName when that is given (not null, not empty) instead of the
// definition's name, e.g. "main.jobrun_old".
CQeStringW QeSqlite_CreateTableExSqlCommand(const wchar_t* verb, const SQeSqliteTableDef& table,
                                            const wchar_t* tableName = nullptr);

// "CREATE [UNIQUE] INDEX [IF NOT EXISTS] idx_<table>_<column> ON <table> (<column>);\n"
// for one column of the table; empty when the column has no index, is the
// primary key or is not a column of the table.
CQeStringW QeSqlite_CreateColumnIndexSqlCommand(const SQeSqliteTableDef& table,
                                                const wchar_t* column, bool ifNotExists = false);

// One "CREATE [UNIQUE] INDEX IF NOT EXISTS ..." per indexed column: run on a
// database, it creates the indexes of the table that are missing.
CQeStringW QeSqlite_CheckTableIndexesSqlCommand(const SQeSqliteTableDef& table);

// The SQL name of a column type: "INTEGER", "REAL", "TEXT", "BLOB", or empty.
const wchar_t* QeSqlite_ColumnTypeName(int type);
