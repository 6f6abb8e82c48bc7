// The default folders under the installation's storage root.
#include "qe/core/files.h"
#include "qe/projectdb/sys.h"

CQeStringW QeProjectDb_Sys_GetDefStoragePath(const CQeStringW& subfolder) {
  wchar_t root[1024] = {};
  QE_GetStoragePath(root, 1024, 1);
  CQeStringW path(root);
  // No HOME and no storage variables: there is no storage root to build on.
  if (path.IsEmpty()) return path;
  if (path.GetLastChar() == L'/') {
    path.AppendFormat(L"%s/", subfolder);
  } else {
    path.AppendFormat(L"/%s/", subfolder);
  }
  return path;
}
