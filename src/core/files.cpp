#include "qe/core/files.h"

#include <sys/stat.h>

#include <cstdlib>
#include <string>
#include <system_error>

#include "qe/core/status.h"
#include "qe/core/string.h"

namespace fs = std::filesystem;

namespace qe {

fs::path ToFsPath(const wchar_t* path) {
  if (!path) return {};
  std::string utf8 = WideToUtf8(path);
  for (char& c : utf8) {
    if (c == '\\') c = '/';
  }
  return fs::path(utf8);
}

bool IsReadOnlyFile(const fs::path& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return false;
  return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

}  // namespace qe

namespace {
int CheckPath(const wchar_t* path) {
  if (!path) return eQeMissingArgument;
  return *path ? eQeOk : eQeNoPathOrTooNew;
}
}  // namespace

int QE_CreateDirectory(const wchar_t* path, int create_parents, int /*reserved*/) {
  if (int status = CheckPath(path)) return status;
  fs::path dir = qe::ToFsPath(path);
  std::error_code ec;
  if (create_parents) {
    fs::create_directories(dir, ec);
  } else {
    fs::create_directory(dir, ec);
  }
  // Success also covers a folder that was already there; anything else in
  // the way (a file) fails.
  return fs::is_directory(dir, ec) ? eQeOk : eQeFailed;
}

int QE_CopyFile(const wchar_t* source, const wchar_t* target, int fail_if_exists,
                int create_target_folder, int /*reserved1*/, int /*reserved2*/) {
  if (int status = CheckPath(source)) return status;
  if (int status = CheckPath(target)) return status;
  fs::path from = qe::ToFsPath(source);
  fs::path to = qe::ToFsPath(target);
  std::error_code ec;
  if (!fs::is_regular_file(from, ec)) return eQeNotFound;
  if (fs::exists(to, ec)) {
    if (fail_if_exists || qe::IsReadOnlyFile(to) || fs::equivalent(from, to, ec)) return eQeFailed;
  } else if (create_target_folder && to.has_parent_path()) {
    fs::create_directories(to.parent_path(), ec);
  }
  auto options = fail_if_exists ? fs::copy_options::none : fs::copy_options::overwrite_existing;
  if (!fs::copy_file(from, to, options, ec)) {
    // A copy that failed half-way must not look like a good file; a target
    // that existed before and was refused is not ours to delete.
    if (ec != std::errc::file_exists) fs::remove(to, ec);
    return eQeFailed;
  }
  return eQeOk;
}

int QE_RemoveFile(const wchar_t* path, int remove_read_only) {
  if (int status = CheckPath(path)) return status;
  fs::path file = qe::ToFsPath(path);
  std::error_code ec;
  fs::file_status st = fs::symlink_status(file, ec);
  if (!fs::exists(st)) return eQeNotFound;
  if (fs::is_directory(st)) return eQeFailed;
  if (!remove_read_only && qe::IsReadOnlyFile(file)) return eQeFailed;
  return fs::remove(file, ec) ? eQeOk : eQeFailed;
}

int QE_GetStoragePath(wchar_t* buffer, int size, int create) {
  if (!buffer || size < 1) return eQeMissingArgument;
  buffer[0] = L'\0';
  auto env = [](const char* name) -> std::string {
    const char* value = std::getenv(name);
    return value ? value : "";
  };
  std::string root = env("QE_STORAGE_ROOT");
  if (root.empty() && !env("XDG_DATA_HOME").empty()) root = env("XDG_DATA_HOME") + "/qe";
  if (root.empty() && !env("HOME").empty()) root = env("HOME") + "/.local/share/qe";
  if (root.empty()) return eQeNoPathOrTooNew;
  if (root.back() != '/') root += '/';
  CQeStringW wide = CQeStringW::FromUtf8(root);
  if (wide.GetLength() >= size) return eQeFailed;
  wide.CopyToBufferW(buffer, size);
  if (create) {
    std::error_code ec;
    fs::create_directories(fs::path(root), ec);
    if (!fs::is_directory(fs::path(root), ec)) return eQeFailed;
  }
  return eQeOk;
}
