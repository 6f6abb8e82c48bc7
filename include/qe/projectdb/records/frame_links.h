// What a frame is linked to, by run key and frame index: its tags
// (`frametag`) and its labware position (`frameplateinfo`, `framewellinfo`,
// `frameslideinfo`, naming the run's plate, well and slide records).
//
// Conventions: those of every record family, see qe/projectdb/records/project.h.
//  - A frame carries a tag, or is linked to one plate, well or slide, at most
//    once (a second identical link fails with 19).
//  - Keys are written as given, 0 included.
//  - Batch inserts (InsertMany) behave as QeProjectDb_Projtag_InsertMany
//    (qe/projectdb/records/tag_links.h): one transaction, 30 ms pause and a
//    fresh start from the first element while another connection holds the
//    write lock, each element's iKey set to its new key.
#pragma once

#include <cstdint>
#include <vector>

struct SQeProjectDbRow_frametag {
  SQeProjectDbRow_frametag() = default;
  SQeProjectDbRow_frametag(int64_t key, int64_t jobrunKey, int64_t tagdefKey, int32_t frameIndex)
      : iKey(key), iJobrunKeyRef(jobrunKey), iTagdefKeyRef(tagdefKey), iFrameIndex(frameIndex) {}

  int64_t iKey = 0;
  int64_t iJobrunKeyRef = 0;
  int64_t iTagdefKeyRef = 0;
  int32_t iFrameIndex = 0;
};

struct SQeProjectDbRow_frameplateinfo {
  SQeProjectDbRow_frameplateinfo() = default;
  SQeProjectDbRow_frameplateinfo(int64_t key, int64_t jobrunKey, int64_t plateinfoKey,
                                 int32_t frameIndex)
      : iKey(key),
        iJobrunKeyRef(jobrunKey),
        iPlateinfoKeyRef(plateinfoKey),
        iFrameIndex(frameIndex) {}

  int64_t iKey = 0;
  int64_t iJobrunKeyRef = 0;
  int64_t iPlateinfoKeyRef = 0;
  int32_t iFrameIndex = 0;
};

struct SQeProjectDbRow_framewellinfo {
  SQeProjectDbRow_framewellinfo() = default;
  SQeProjectDbRow_framewellinfo(int64_t key, int64_t jobrunKey, int64_t wellinfoKey,
                                int32_t frameIndex)
      : iKey(key),
        iJobrunKeyRef(jobrunKey),
        iWellinfoKeyRef(wellinfoKey),
        iFrameIndex(frameIndex) {}

  int64_t iKey = 0;
  int64_t iJobrunKeyRef = 0;
  int64_t iWellinfoKeyRef = 0;
  int32_t iFrameIndex = 0;
};

struct SQeProjectDbRow_frameslideinfo {
  SQeProjectDbRow_frameslideinfo() = default;
  SQeProjectDbRow_frameslideinfo(int64_t key, int64_t jobrunKey, int64_t slideinfoKey,
                                 int32_t frameIndex)
      : iKey(key),
        iJobrunKeyRef(jobrunKey),
        iSlideinfoKeyRef(slideinfoKey),
        iFrameIndex(frameIndex) {}

  int64_t iKey = 0;
  int64_t iJobrunKeyRef = 0;
  int64_t iSlideinfoKeyRef = 0;
  int32_t iFrameIndex = 0;
};

// ---- Frame tags ----
int QeProjectDb_Frametag_Insert(uint32_t handle, int64_t jobrunKey, int64_t tagdefKey,
                                int32_t frameIndex, int64_t* outKey);
int QeProjectDb_Frametag_InsertMany(uint32_t handle, std::vector<SQeProjectDbRow_frametag>& rows);
// The same, skipping a tag the frame already has (that element's iKey
// becomes 0); returns 0 for such duplicates.
int QeProjectDb_Frametag_InsertOrIgnoreMany(uint32_t handle,
                                            std::vector<SQeProjectDbRow_frametag>& rows);
// Removes, for each element in order, the tag rows with its run key, tag
// definition key and frame index (iKey is not looked at). No transaction of
// its own and no busy retry. Returns the first failure's status; 0 also
// when an element matches nothing and for an empty vector.
int QeProjectDb_Frametag_RemoveMany(uint32_t handle,
                                    const std::vector<SQeProjectDbRow_frametag>& rows);

// ---- Labware position ----
int QeProjectDb_Frameplateinfo_Insert(uint32_t handle, int64_t jobrunKey, int64_t plateinfoKey,
                                      int32_t frameIndex, int64_t* outKey);
int QeProjectDb_Frameplateinfo_InsertMany(uint32_t handle,
                                          std::vector<SQeProjectDbRow_frameplateinfo>& rows);
int QeProjectDb_Framewellinfo_Insert(uint32_t handle, int64_t jobrunKey, int64_t wellinfoKey,
                                     int32_t frameIndex, int64_t* outKey);
int QeProjectDb_Framewellinfo_InsertMany(uint32_t handle,
                                         std::vector<SQeProjectDbRow_framewellinfo>& rows);
int QeProjectDb_Frameslideinfo_Insert(uint32_t handle, int64_t jobrunKey, int64_t slideinfoKey,
                                      int32_t frameIndex, int64_t* outKey);
int QeProjectDb_Frameslideinfo_InsertMany(uint32_t handle,
                                          std::vector<SQeProjectDbRow_frameslideinfo>& rows);
