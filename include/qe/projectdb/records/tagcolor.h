// Tag colours: the display colour of a tag within a run.
//
// Conventions: those of every record function (see project.h): handle
// first, 0 or a status returned, GetMany appends; batches run in one
// transaction and retry the whole batch after 30 ms while another
// connection holds the database.
//
// A run holds one colour per tag; colours go with their run and tag.
#pragma once

#include <cstdint>
#include <vector>

struct SQeProjectDbRow_tagcolor {
  SQeProjectDbRow_tagcolor() = default;
  SQeProjectDbRow_tagcolor(int64_t key, int64_t jobrunKey, int64_t tagdefKey, int color)
      : iKey(key), iJobrunKeyRef(jobrunKey), iTagdefKeyRef(tagdefKey), iColor(color) {}

  int64_t iKey = 0;
  int64_t iJobrunKeyRef = 0;
  int64_t iTagdefKeyRef = 0;
  int iColor = 0;  // as the host encodes it
};

// Inserts every element in one transaction; each iKey receives its key.
// Returns 0 or the first failure's status (19 for a second colour of a tag
// in a run); on failure nothing of the batch stays (unless it ran inside
// the caller's transaction).
int QeProjectDb_Tagcolor_InsertMany(uint32_t h, std::vector<SQeProjectDbRow_tagcolor>& rows);

// Appends the colours of one run.
int QeProjectDb_Tagcolor_GetMany(uint32_t h, int64_t jobrunKey,
                                 std::vector<SQeProjectDbRow_tagcolor>& rows);

// The colour stored last (greatest key) for the tag in any run; 0 when the
// tag has no colour or the lookup fails.
int QeProjectDb_Tagcolor_GetLatestColor(uint32_t h, int64_t tagdefKey);
