// UUID texts stored in every wszUuid column.
#include "qe/core/uuid.h"
#include "qe/projectdb/sys.h"

CQeStringW QeProjectDb_Sys_UuidAsText() {
  SQeUuid uuid{};
  if (QE_Generate_Uuid(&uuid) != 0) return CQeStringW();
  const uint8_t* b = uuid.Data4;
  return CQeStringW::Formatted(L"%08x%04x%04x%02x%02x%02x%02x%02x%02x%02x%02x", uuid.Data1,
                               unsigned{uuid.Data2}, unsigned{uuid.Data3}, unsigned{b[0]},
                               unsigned{b[1]}, unsigned{b[2]}, unsigned{b[3]}, unsigned{b[4]},
                               unsigned{b[5]}, unsigned{b[6]}, unsigned{b[7]});
}
