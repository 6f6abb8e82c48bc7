#include "qe/core/uuid.h"

#include <sys/random.h>

#include <cerrno>
#include <cstring>

#include "qe/core/status.h"

int QE_Generate_Uuid(SQeUuid* uuid) {
  if (!uuid) return eQeMissingArgument;
  uint8_t bytes[16];
  size_t got = 0;
  while (got < sizeof bytes) {
    ssize_t n = getrandom(bytes + got, sizeof bytes - got, 0);
    if (n < 0) {
      if (errno == EINTR) continue;
      return eQeFailed;
    }
    got += static_cast<size_t>(n);
  }
  std::memcpy(&uuid->Data1, bytes, 4);
  std::memcpy(&uuid->Data2, bytes + 4, 2);
  std::memcpy(&uuid->Data3, bytes + 6, 2);
  std::memcpy(uuid->Data4, bytes + 8, 8);
  uuid->Data3 = static_cast<uint16_t>((uuid->Data3 & 0x0FFF) | 0x4000);
  uuid->Data4[0] = static_cast<uint8_t>((uuid->Data4[0] & 0x3F) | 0x80);
  return eQeOk;
}
