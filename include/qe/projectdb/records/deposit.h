// Deposits: opaque data stored with a job definition.
//
// Conventions: those of every record function (see project.h): handle
// first, 0 or a status returned, key out-pointers receive the key or 0,
// GetMany appends. The data are bytes this library does not read.
//
// Deposit uuids are unique; deposits go with their job definition.
#pragma once

#include <cstdint>
#include <list>

#include "qe/core/byte_array.h"
#include "qe/core/string.h"

struct SQeProjectDbRow_deposit {
  SQeProjectDbRow_deposit() = default;
  // The data are copied from dataSize bytes at data.
  SQeProjectDbRow_deposit(int64_t key, int64_t jobdefKey, double ctime, double mtime,
                          const CQeStringW& uuid, int dataSize, const void* data)
      : iKey(key),
        iJobdefKeyRef(jobdefKey),
        dCTime(ctime),
        dMTime(mtime),
        wszUuid(uuid),
        pData(data, dataSize) {}

  int64_t iKey = 0;
  int64_t iJobdefKeyRef = 0;  // the job definition
  double dCTime = 0.0;        // JDN times
  double dMTime = 0.0;
  CQeStringW wszUuid;
  CQeByteArray pData;  // opaque
};

// Inserts a deposit with dataSize bytes at data (a null pointer or size 0
// stores an empty blob).
int QeProjectDb_Deposit_Insert(uint32_t h, int64_t jobdefKey, double ctime, double mtime,
                               const CQeStringW& uuid, int dataSize, const void* data,
                               int64_t* outKey);

// Updates job definition, times, uuid and the whole data blob of the
// deposit with that key.
int QeProjectDb_Deposit_Update(uint32_t h, int64_t key, int64_t jobdefKey, double ctime,
                               double mtime, const CQeStringW& uuid, const CQeByteArray& data);

// Appends the deposits of one job definition.
int QeProjectDb_Deposit_GetMany(uint32_t h, int64_t jobdefKey,
                                std::list<SQeProjectDbRow_deposit>& rows);
