// Random UUIDs (version 4).
//
// Conventions: SQeUuid has the layout of a Windows GUID; its text form is
// "%08x%04x%04x%02x..." of Data1, Data2, Data3 and the eight Data4 bytes,
// so the version digit 4 is the 13th hexadecimal digit. Thread-safe: the
// random bytes come from the kernel (getrandom), no state is kept.
#pragma once

#include <cstdint>

struct SQeUuid {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
};

// Fills uuid with 122 random bits, version 4 (Data3's top four bits 0100)
// and the RFC 4122 variant (Data4[0]'s top two bits 10).
// Returns 0; -4 for a null pointer; -9 when no random bytes can be had.
int QE_Generate_Uuid(SQeUuid* uuid);
