// File and folder helpers of the core library.
//
// Conventions:
//  - Paths are wide texts (CQeStringW converts implicitly). They are turned
//    into file-system paths by qe::ToFsPath: UTF-8 through qe::WideToUtf8,
//    and a backslash counts as a separator ('/'), because relative names
//    stored in the database use backslashes.
//  - Read-only means the file's mode has no write bit at all (stat, not
//    access(): the check must hold when running as root).
//  - Status returns: 0 success, -1 (eQeNoPathOrTooNew) an empty path,
//    -4 (eQeMissingArgument) a null pointer, -9 (eQeFailed) the operation
//    failed, -13 (eQeNotFound) the file to read or remove does not exist.
//  - Every function may be called from any thread; none keeps state.
#pragma once

#include <filesystem>

// Creates the folder. With create_parents 1 missing parent folders are
// created too; with 0 the parent must exist. reserved is ignored (callers pass 0).
// Returns 0 also when the folder already exists; -9 when something that is
// not a folder is in the way or the folder cannot be made; -1, -4.
int QE_CreateDirectory(const wchar_t* path, int create_parents, int reserved);

// Copies the file source to target (contents and permission bits).
//  - fail_if_exists 1: an existing target is left alone and the result is -9;
//    0: an existing target is overwritten, unless it is read-only (-9).
//  - create_target_folder 1 creates the target's missing folders first; with
//    0 a missing target folder gives -9.
//  - reserved1, reserved2 are ignored (callers pass 0).
// Returns 0; -13 when source is missing or not a regular file; -9 when the
// target exists (see above), source and target are the same file, or the
// copy fails (a partly written target is removed); -1, -4.
int QE_CopyFile(const wchar_t* source, const wchar_t* target, int fail_if_exists,
                int create_target_folder, int reserved1, int reserved2);

// Deletes one file (never a folder). A read-only file is deleted only when
// remove_read_only is 1; with 0 it stays and the result is -9.
// Returns 0; -13 when there is no such file; -9 for a folder, a read-only
// file (see above) or a failed delete; -1, -4.
int QE_RemoveFile(const wchar_t* path, int remove_read_only);

// Writes the storage root folder, ending in '/', into buffer (size counts
// wide characters including the terminating null): $QE_STORAGE_ROOT when
// set and not empty, else $XDG_DATA_HOME/qe, else $HOME/.local/share/qe.
// With create 1 the folder is created when missing.
// Returns 0; -4 for a null buffer or a size below 1; -1 when neither
// variable nor HOME is set (buffer empty); -9 when the path does not fit
// (buffer empty) or the folder cannot be created (buffer filled).
int QE_GetStoragePath(wchar_t* buffer, int size, int create);

namespace qe {
// The file-system form of a wide path (see the conventions above); a null
// path gives the empty path.
std::filesystem::path ToFsPath(const wchar_t* path);
// True when the file exists and its mode has no write bit.
bool IsReadOnlyFile(const std::filesystem::path& path);
}  // namespace qe
