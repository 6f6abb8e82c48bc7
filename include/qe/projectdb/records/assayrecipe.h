// Assay recipes: named, stored analysis settings.
//
// Conventions: those of every record function (see project.h): handle
// first, 0 or a status returned, key out-pointers receive the key or 0,
// GetAll appends, a lookup that returns a key gives 0 when there is none.
// The recipe data are bytes this library does not read.
//
// Unique names are unique (exact compare).
#pragma once

#include <cstdint>
#include <list>
#include <vector>

#include "qe/core/byte_array.h"
#include "qe/core/string.h"

struct SQeProjectDbRow_assayrecipe {
  SQeProjectDbRow_assayrecipe() = default;
  // The data are copied from dataSize bytes at data.
  SQeProjectDbRow_assayrecipe(int64_t key, const CQeStringW& uniqueName, const CQeStringW& desc,
                              const CQeStringW& module, double ctime, double mtime, int dataSize,
                              const void* data)
      : iKey(key),
        wszUniqueName(uniqueName),
        wszDesc(desc),
        wszModule(module),
        dCTime(ctime),
        dMTime(mtime),
        pData(data, dataSize) {}

  int64_t iKey = 0;
  CQeStringW wszUniqueName;  // the recipe's unique name
  CQeStringW wszDesc;
  CQeStringW wszModule;  // the analysis module the recipe belongs to
  double dCTime = 0.0;   // JDN times
  double dMTime = 0.0;
  CQeByteArray pData;  // the recipe (opaque)
};

// Inserts a recipe with dataSize bytes at data (a null pointer or size 0
// stores an empty blob). A name already used fails with 19.
int QeProjectDb_Assayrecipe_Insert(uint32_t h, const CQeStringW& uniqueName, const CQeStringW& desc,
                                   const CQeStringW& module, double ctime, double mtime,
                                   int dataSize, const void* data, int64_t* outKey);

// Updates name, description, module, modification time and data (the
// whole blob) of the recipe with that key; the creation time stays.
int QeProjectDb_Assayrecipe_Update(uint32_t h, int64_t key, const CQeStringW& uniqueName,
                                   const CQeStringW& desc, const CQeStringW& module, double mtime,
                                   const CQeByteArray& data);

// The key of the recipe with that unique name, or 0.
int64_t QeProjectDb_Assayrecipe_Find(uint32_t h, const CQeStringW& uniqueName);

// Reads the recipe with that key (select status; record untouched when
// there is none).
int QeProjectDb_Assayrecipe_GetOne(uint32_t h, int64_t key, SQeProjectDbRow_assayrecipe& row);

// Appends every recipe.
int QeProjectDb_Assayrecipe_GetAll(uint32_t h, std::list<SQeProjectDbRow_assayrecipe>& rows);

// Appends the unique name of every recipe.
int QeProjectDb_Assayrecipe_GetAllNames(uint32_t h, std::vector<CQeStringW>& names);

// Deletes the recipe with that key.
int QeProjectDb_Assayrecipe_Delete(uint32_t h, int64_t key);
