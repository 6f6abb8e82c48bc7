// Folder helpers: network detection and recursive deletion.
#include <sys/vfs.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>

#include "qe/projectdb/sys.h"

namespace fs = std::filesystem;

namespace {

// statfs magic numbers of network file systems (linux/magic.h and the file
// systems' own headers; some are not in every kernel's header).
constexpr uint32_t kNetworkMagics[] = {
    0x6969,      // NFS
    0x517B,      // SMB
    0xFE534D42,  // SMB2
    0xFF534D42,  // CIFS
    0x5346414F,  // AFS (OpenAFS)
    0x6B414653,  // AFS (kAFS)
    0x73757245,  // Coda
    0x01021997,  // 9P
    0x00C36400,  // Ceph
    0x0BD00BD0,  // Lustre
};
constexpr uint32_t kFuseMagic = 0x65735546;

// FUSE file systems that reach another machine; local FUSE file systems
// (NTFS drivers, overlays of rootless containers) do not count.
constexpr const char* kNetworkFuseTypes[] = {"fuse.glusterfs", "fuse.sshfs",    "fuse.ceph-fuse",
                                             "fuse.s3fs",      "fuse.gcsfuse",  "fuse.rclone",
                                             "fuse.davfs",     "fuse.curlftpfs"};

fs::path AbsoluteNormal(const CQeStringW& path) {
  std::error_code ec;
  fs::path p = fs::absolute(fs::path(path.ToUtf8()), ec);
  if (ec) p = fs::path(path.ToUtf8());
  return p.lexically_normal();
}

// True when the path is the folder or lies under it, comparing whole names.
bool IsUnder(const fs::path& path, const fs::path& folder) {
  auto p = path.begin();
  for (auto f = folder.begin(); f != folder.end(); ++f) {
    if (f->empty()) continue;  // the empty last element of a path ending in '/'
    if (p == path.end() || *p != *f) return false;
    ++p;
  }
  return true;
}

bool UnderConfiguredNetworkFolder(const fs::path& path) {
  const char* list = std::getenv("QE_PROJECTDB_NETWORK_PATHS");
  if (!list) return false;
  std::istringstream folders(list);
  std::string folder;
  while (std::getline(folders, folder, ':')) {
    if (!folder.empty() && IsUnder(path, fs::path(folder).lexically_normal())) return true;
  }
  return false;
}

// The mount table writes blanks, tabs, newlines and backslashes in names as
// three-digit octal escapes.
std::string Unescape(const std::string& field) {
  std::string out;
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size()) {
      const std::string digits = field.substr(i + 1, 3);
      if (digits.find_first_not_of("01234567") == std::string::npos) {
        out += static_cast<char>(std::stoi(digits, nullptr, 8));
        i += 3;
        continue;
      }
    }
    out += field[i];
  }
  return out;
}

// The type column of the mount that holds the path, from the mount table.
std::string MountType(const fs::path& path) {
  std::ifstream mounts("/proc/self/mounts");
  std::string line, best_type;
  size_t best_length = 0;
  while (std::getline(mounts, line)) {
    std::istringstream fields(line);
    std::string device, mount_point, type;
    if (!(fields >> device >> mount_point >> type)) continue;
    const std::string point_name = Unescape(mount_point);
    const fs::path point(point_name);
    if (IsUnder(path, point) && point_name.size() >= best_length) {
      best_length = point_name.size();
      best_type = type;
    }
  }
  return best_type;
}

bool OnNetworkFileSystem(fs::path path) {
  struct statfs info {};
  // The folder to be created next may not exist yet; its nearest existing
  // ancestor decides.
  while (statfs(path.c_str(), &info) != 0) {
    if (errno != ENOENT && errno != ENOTDIR) return false;
    fs::path parent = path.parent_path();
    if (parent == path || parent.empty()) return false;
    path = std::move(parent);
  }
  const auto magic = static_cast<uint32_t>(info.f_type);
  for (uint32_t network : kNetworkMagics) {
    if (magic == network) return true;
  }
  if (magic != kFuseMagic) return false;
  const std::string type = MountType(path);
  for (const char* network : kNetworkFuseTypes) {
    if (type == network) return true;
  }
  return false;
}

}  // namespace

bool QeProjectDb_Sys_IsNetworkPath(const CQeStringW& path) {
  if (path.IsEmpty()) return false;
  try {
    const fs::path p = AbsoluteNormal(path);
    return UnderConfiguredNetworkFolder(p) || OnNetworkFileSystem(p);
  } catch (...) {
    return false;  // allocation failure: not knowing means local
  }
}

int QeProjectDb_Sys_DeleteFolder(const CQeStringW& path) {
  if (path.IsEmpty()) return 0;
  try {
    fs::path p = AbsoluteNormal(path);
    // Without the trailing '/', a symbolic link is removed rather than followed.
    if (!p.has_filename()) p = p.parent_path();
    if (p == p.root_path()) return 0;
    std::error_code ec;
    fs::remove_all(p, ec);
  } catch (...) {
    // Failure is not reported.
  }
  return 0;
}
