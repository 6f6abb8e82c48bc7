// Copying a whole database from one connection into another.
//
// Conventions: both connections stay owned by the caller. The copy replaces
// the target's content (its main database) with the source's main
// database. Statuses as in result.h; the target is unchanged when the copy
// fails before its last step.
#pragma once

struct sqlite3;

// Progress of a stepwise copy: pages still to copy and the source's page
// count after each step. Return false to stop the copy (status 9, interrupted).
using QeSqliteBackupProgress = bool (*)(void* user, int remainingPages, int totalPages);

// Copies everything in one step. While the source or the target is busy or
// locked it waits 100 ms and tries again, for at most about 60 seconds.
// Returns 0, 21 for a null connection, or the status that ended the copy.
int QeSqlite_Backup(sqlite3* source, sqlite3* target);

// Copies pagesPerStep pages per step (all when not positive) and sleeps
// pauseMs between steps, so that other users of the source can work
// meanwhile; busy and locked steps are retried as in QeSqlite_Backup.
// progress (may be null) is called with user after every step.
int QeSqlite_BackupRunning(sqlite3* source, sqlite3* target, int pagesPerStep, int pauseMs,
                           QeSqliteBackupProgress progress, void* user);
