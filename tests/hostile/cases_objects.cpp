// Cases: the labware classes (names kept, saved and loaded again) and the
// thumbnail database (run uuids and file names as hostile texts).
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

#include "hostile/hostile_support.h"
#include "qe/core/lite_variant.h"
#include "qe/labware/element_holder.h"
#include "qe/labware/element_naming.h"
#include "qe/labware/single_element_holder.h"
#include "qe/labware/wellplate.h"
#include "qe/picture/image_file.h"
#include "qe/picture/image_format.h"
#include "qe/picture/pic_buf.h"
#include "qe/thumbdb/thumbdb.h"

namespace qe::hostile {
namespace {

// ---- Labware ----

CQeWellplate Plate(const CQeStringW& uuid, const CQeStringW& company, const CQeStringW& type,
                   const CQeStringW& model) {
  return CQeWellplate(uuid, company, type, model, eQeNamingModeRowColumn, eQeNamingLetters,
                      eQeNamingNumbers, 3, 2, 9000, 9000, 40000, 30000, 5000, 5000,
                      CQeLayoutElement(SQeShape(3000.0)));
}

CQeSingleElementHolder Dish(const CQeStringW& uuid, const CQeStringW& company,
                            const CQeStringW& type, const CQeStringW& model) {
  const CQeRectBase<double> sticker(0, 0, 10, 10);
  return CQeSingleElementHolder(uuid, company, type, model, CQeLayoutElement(SQeShape(5000.0)),
                                &sticker);
}

// Saves the holder into a lite-variant document and loads a copy from it.
template <typename Holder>
Holder Reloaded(const Holder& holder) {
  CQeLiteVariantW writer;
  EXPECT_EQ(holder.SaveToLiteVariant(writer), 0);
  CQeLiteVariantR reader;
  EXPECT_EQ(writer.Finalize(reader), 0);
  Holder loaded;
  EXPECT_EQ(loaded.LoadFromLiteVariant(reader), 0);
  return loaded;
}

// The holder made of the texts uuid, company, type and model keeps them,
// and so does a copy saved and loaded.
template <typename Holder>
void NamesSurvive(Ctx& c, const Holder& holder) {
  const Holder loaded = Reloaded(holder);
  for (const Holder* h : {&holder, &loaded}) {
    c.RoundTrips({h->GetUuid(), h->GetCompanyName(), h->GetTypeName(), h->GetModelName()});
  }
}

// A name set through the holder's interface is kept and saved.
template <typename Holder, typename Set, typename Get>
void SetName(Ctx& c, Set set, Get get) {
  const CQeStringW name = c.T(0);
  Holder holder = [] {
    if constexpr (std::is_same_v<Holder, CQeWellplate>) {
      return Plate(L"u", L"c", L"t", L"m");
    } else {
      return Dish(L"u", L"c", L"t", L"m");
    }
  }();
  IQeElementHolder* asInterface = &holder;
  set(asInterface, name);
  c.RoundTrip(get(static_cast<const IQeElementHolder&>(holder)), name, "name");
  const Holder loaded = Reloaded(holder);
  c.RoundTrip(get(static_cast<const IQeElementHolder&>(loaded)), name, "saved name");
}

void AllSetters(Ctx& c, int which) {
  auto set = [which](IQeElementHolder* h, const CQeStringW& n) {
    which == 0 ? h->SetModelName(n) : which == 1 ? h->SetTypeName(n) : h->SetCompanyName(n);
  };
  auto get = [which](const IQeElementHolder& h) {
    return which == 0 ? h.GetModelName() : which == 1 ? h.GetTypeName() : h.GetCompanyName();
  };
  SetName<CQeWellplate>(c, set, get);
  SetName<CQeSingleElementHolder>(c, set, get);
}

void NoInterface(Ctx& c) {
  const CQeStringW name = c.T(0);
  CQeWellplate plate = Plate(L"u", L"c", L"t", L"m");
  CQeWellplateEditable editable(plate);
  CQeSingleElementHolder dish = Dish(L"u", L"c", L"t", L"m");
  for (IQeElementHolder* h :
       {static_cast<IQeElementHolder*>(&plate), static_cast<IQeElementHolder*>(&editable),
        static_cast<IQeElementHolder*>(&dish)}) {
    EXPECT_EQ(h->GetInterface(name), nullptr);
  }
}

// ---- Thumbnails ----

class CCallback : public IQeProjectThumbReadyCallback {
 public:
  void ThumbnailReady(CQeRefCountPtr<CQeProjectThumb> request, bool) override { Add(request); }
  void PreviewReady(CQeRefCountPtr<CQeProjectThumb> request, bool) override { Add(request); }
  CQeRefCountPtr<CQeProjectThumb> Wait() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait_for(lock, std::chrono::seconds(60), [this] { return bool(last_); });
    return last_;
  }

 private:
  void Add(CQeRefCountPtr<CQeProjectThumb> request) {
    std::lock_guard<std::mutex> lock(mutex_);
    last_ = request;
    changed_.notify_all();
  }
  std::mutex mutex_;
  std::condition_variable changed_;
  CQeRefCountPtr<CQeProjectThumb> last_;  // guarded by mutex_
};

// A small JPEG at path; false when the file system refuses the name.
bool WriteJpeg(const CQeStringW& path) {
  CQeImageFormatManager manager;
  CQeRefCountPtr<IQeImageFormatHandler> handler;
  if (manager.GetHandlerForFormatName(L"JPG", handler) != 0) return false;
  CQePicBufOwner picture;
  if (CQePicBufAPI::Reinit(picture.Get(), 16, 8, 8, 3) != 0) return false;
  for (unsigned int i = 0; i < 16 * 8 * 3; ++i) picture->pData[i] = static_cast<uint8_t>(i);
  CQeRefCountPtr<IQeOutputImageFile> output;
  return handler->CreateOutputFile(path, output) == 0 &&
         output->SetImageInfo(16, 8, 8, 3, 0.8) == 0 && output->WritePixels(picture.Get()) == 0 &&
         output->Finish() == 0;
}

std::vector<CQeStringW> ThumbRuns(Ctx& c) {
  return ReadTexts(c.ThumbPath(), "SELECT wszJobrunUuid FROM jobrunuuid ORDER BY iKey");
}

// Stores a thumbnail of frame 0 of run uuid straight into the database.
int StoreThumb(Ctx& c, const CQeStringW& uuid, const CQeByteArray& data = CQeByteArray()) {
  sqlite3* db = c.Thumbs().DbOpenConnection();
  EXPECT_NE(db, nullptr);
  const int status = CQeProjectThumb::StoreThumbDataToDb(db, uuid, 0, 0, 128, -9, 1.0, data);
  CQeProjectThumbDb::DbCloseConnection(db);
  return status;
}

void StoreFixtureThumb(Ctx& c) { StoreThumb(c, L"fixture-run"); }

// Posts a request for frame 0 of a JPEG named by a text, for a run whose
// uuid is a text; the callback gets the request with both texts as given.
void Post(Ctx& c, bool preview) {
  const CQeStringW uuid = c.T(0), file = c.PathIn(1) + L".jpg";
  const bool written = WriteJpeg(file);
  CCallback callback;
  CQeProjectThumbDb& thumbs = c.Thumbs();
  const int status = preview ? thumbs.PostPreviewRequest(uuid, 0, file, 0, &callback, 7)
                             : thumbs.PostThumbRequest(uuid, 0, file, 0, &callback, 7);
  c.Ok(status);
  const CQeRefCountPtr<CQeProjectThumb> request = callback.Wait();
  ASSERT_TRUE(request);
  thumbs.WaitUntilEmpty();
  c.RoundTrip(request->JobrunUuid(), uuid, "run uuid of the request");
  EXPECT_TRUE(request->FileName() == file);
  EXPECT_EQ(request->Result(), written ? 0 : -9);
  if (preview) return;
  c.MayAdd({"thumbs.jobrunuuid", "thumbs.frame", "thumbs.thumbnail"});
  const std::vector<CQeStringW> runs = ThumbRuns(c);
  ASSERT_FALSE(runs.empty());
  c.RoundTrip(runs.back(), uuid, "stored run uuid");
}

template <typename Clear>
void ClearRun(Ctx& c, Clear clear) {
  const CQeStringW uuid = c.T(0);
  StoreThumb(c, uuid);
  c.MayAdd({"thumbs.jobrunuuid", "thumbs.frame"});
  c.Ok(clear(c.Thumbs(), uuid));
  for (const CQeStringW& run : ThumbRuns(c)) {
    EXPECT_FALSE(run == Stored(uuid));
  }
}

CQeRefCountPtr<CQeProjectThumb> ThumbFromFile(Ctx& c, const CQeStringW& uuid,
                                              const CQeStringW& name) {
  const CQeStringW path = CQeStringW::FromUtf8(c.Folder()) + L"/frame.jpg";
  EXPECT_TRUE(WriteJpeg(path));
  CQeImageFormatManager manager;
  CQeRefCountPtr<IQeImageFormatHandler> handler;
  EXPECT_EQ(manager.GetHandlerForFormatName(L"JPG", handler), 0);
  CQeRefCountPtr<IQeInputImageFile> file;
  EXPECT_EQ(handler->OpenInputFile(path, file), 0);
  return c.Thumbs().CreateThumbnailFromFile(uuid, 3, name, 0, file.Get());
}

const int kRegistered = [] {
  // ---- Labware classes ----
  Case(
      "CQeWellplate::CQeWellplate(uuid, company, type, model, naming_mode, row_naming, col_naming, "
      "col_count, row_count, x_distance, y_distance, plate_width, plate_height, x_offset, "
      "y_offset, well)",
      4, [](Ctx& c) { NamesSurvive(c, Plate(c.t[0], c.t[1], c.t[2], c.t[3])); });
  Case(
      "CQeWellplate::CQeWellplate(uuid, naming_mode, row_naming, col_naming, col_count, row_count, "
      "x_distance, y_distance, plate_width, plate_height, x_offset, y_offset, well)",
      1, [](Ctx& c) {
        const CQeStringW uuid = c.T(0);
        CQeWellplate plate(uuid, eQeNamingModeAlongRows, eQeNamingNumbers, eQeNamingNumbers, 2, 2,
                           9000, 9000, 30000, 30000, 5000, 5000,
                           CQeLayoutElement(SQeShape(3000.0)));
        c.RoundTrip(Reloaded(plate).GetUuid(), uuid, "uuid");
      });
  Case(
      "CQeSingleElementHolder::CQeSingleElementHolder(uuid, company, type, model, element, "
      "sticker)",
      4, [](Ctx& c) { NamesSurvive(c, Dish(c.t[0], c.t[1], c.t[2], c.t[3])); });
  Case(
      "CQeSingleElementHolder::CQeSingleElementHolder(uuid, company, type, model, element, "
      "outline, sticker)",
      4, [](Ctx& c) {
        NamesSurvive(
            c, CQeSingleElementHolder(c.t[0], c.t[1], c.t[2], c.t[3],
                                      CQeLayoutElement(SQeShape(50.0)), SQeShape(100.0), nullptr));
      });
  for (const std::string scope : {"IQeElementHolder", "CQeWellplate", "CQeSingleElementHolder"}) {
    int which = 0;
    for (const char* name : {"Model", "Type", "Company"}) {
      Case(scope + "::Set" + name + "Name", 1, [which](Ctx& c) { AllSetters(c, which); });
      ++which;
    }
  }
  Case("CQeWellplate::SetUuid", 1, [](Ctx& c) {
    const CQeStringW uuid = c.T(0);
    CQeWellplate plate = Plate(L"u", L"c", L"t", L"m");
    plate.SetUuid(uuid);
    c.RoundTrip(Reloaded(plate).GetUuid(), uuid, "uuid");
  });
  Case("CQeSingleElementHolder::SetUuid", 1, [](Ctx& c) {
    const CQeStringW uuid = c.T(0);
    CQeSingleElementHolder dish = Dish(L"u", L"c", L"t", L"m");
    dish.SetUuid(uuid);
    c.RoundTrip(Reloaded(dish).GetUuid(), uuid, "uuid");
  });
  Case("CQeWellplate::LoadFromLiteVariantWithUuid", 4, [](Ctx& c) {
    CQeLiteVariantW writer;
    ASSERT_EQ(Plate(L"u", L"c", L"t", L"m").SaveToLiteVariant(writer), 0);
    CQeLiteVariantR reader;
    ASSERT_EQ(writer.Finalize(reader), 0);
    CQeWellplate plate;
    ASSERT_EQ(plate.LoadFromLiteVariantWithUuid(reader, c.t[0], c.t[1], c.t[2], c.t[3], 1), 0);
    NamesSurvive(c, plate);
  });
  for (const std::string scope :
       {"IQeElementHolder", "CQeWellplate", "CQeWellplateEditable", "CQeSingleElementHolder"}) {
    Case(scope + "::GetInterface", 1, NoInterface);
  }
  Case("CQeWellplate::GetElementIndex", 1, [](Ctx& c) {
    const int index = Plate(L"u", L"c", L"t", L"m").GetElementIndex(c.T(0));
    EXPECT_TRUE(index >= -1 && index < 6) << index;
  });
  Case("DescribeNames", 3, [](Ctx& c) {
    const CQeStringW company = c.T(0), type = c.T(1), model = c.T(2);
    const CQeStringW text = qe::labware::DescribeNames(company, type, model);
    for (const CQeStringW& part : {company, type, model}) {
      if (!part.IsEmpty()) {
        EXPECT_GE(text.Find(part), 0);
      }
    }
  });
  Case("TextToNumber", 1, [](Ctx& c) {
    for (auto type : {eQeNamingNumbers, eQeNamingLetters}) {
      EXPECT_GE(qe::labware::TextToNumber(type, c.T(0)), -1);
    }
  });
  Case("SQeElementNaming::GetIndex", 1, [](Ctx& c) {
    const CQeStringW text = c.T(0);
    for (auto mode : {eQeNamingModeDownColumns, eQeNamingModeAlongRows, eQeNamingModeRowColumn}) {
      const SQeElementNaming naming(mode, eQeNamingLetters, eQeNamingNumbers, true);
      const int index = naming.GetIndex(8, 12, text);
      EXPECT_TRUE(index >= -1 && index < 96) << index;
    }
  });
  Case("SQeElementNaming::GetRowIndex", 1, [](Ctx& c) {
    const SQeElementNaming naming(eQeNamingModeRowColumn, eQeNamingLetters, eQeNamingNumbers, true);
    EXPECT_GE(naming.GetRowIndex(c.T(0)), -1);
  });
  Case("SQeElementNaming::GetColumnIndex", 1, [](Ctx& c) {
    const SQeElementNaming naming(eQeNamingModeRowColumn, eQeNamingLetters, eQeNamingNumbers, true);
    EXPECT_GE(naming.GetColumnIndex(c.T(0)), -1);
  });
  // ---- Thumbnail database ----
  Case("CQeProjectThumbDb::CQeProjectThumbDb(path, formatManager, capacity)", 1, [](Ctx& c) {
    // A thumbnail file named by the text; a name the file system
    // refuses leaves the object without a file.
    const CQeStringW path = c.PathIn(0) + L".thumbs";
    CQeImageFormatManager manager;
    CQeProjectThumbDb thumbs(path, &manager, 4);
    c.MayLog({14});
    c.RoundTrip(thumbs.DbFilename(), path, "file name");
    sqlite3* db = thumbs.DbOpenConnection();
    if (db) {
      EXPECT_EQ(ReadTexts(db, "SELECT wszName FROM vesion").size(), 1u);
    }
    CQeProjectThumbDb::DbCloseConnection(db);
  });
  Case("CQeProjectThumbReader::DbConnect", 1, [](Ctx& c) {
    c.MayLog({14});
    sqlite3* db = CQeProjectThumbReader::DbConnect(c.PathIn(0) + L".thumbs");
    if (db) {
      EXPECT_EQ(ReadTexts(db, "SELECT wszName FROM vesion").size(), 1u);
    }
    CQeProjectThumbDb::DbCloseConnection(db);
  });
  // A reader of a file named by the text, asked for an interface so named.
  Case("CQeProjectThumbReader::Create", 1, [](Ctx& c) {
    const CQeRefCountPtr<CQeProjectThumbQueue> queue = CQeProjectThumbQueue::Create(4);
    const CQeRefCountPtr<CQeProjectThumbReader> reader =
        CQeProjectThumbReader::Create(c.PathIn(0), queue.Get(), nullptr, 0);
    ASSERT_TRUE(reader);
    EXPECT_TRUE(reader->DbPath() == c.PathIn(0));
    EXPECT_EQ(reader->GetInterface(c.t[0]), nullptr);
  });
  Case("CQeProjectThumbReader::GetInterface", 1, [](Ctx& c) {
    const CQeRefCountPtr<CQeProjectThumbQueue> queue = CQeProjectThumbQueue::Create(4);
    EXPECT_EQ(CQeProjectThumbReader::Create(L"x", queue.Get(), nullptr, 0)->GetInterface(c.t[0]),
              nullptr);
  });
  Case("CQeProjectThumbQueue::GetInterface", 1,
       [](Ctx& c) { EXPECT_EQ(CQeProjectThumbQueue::Create(4)->GetInterface(c.T(0)), nullptr); });
  Case("CQeProjectThumbVirtualQueue::GetInterface", 1, [](Ctx& c) {
    EXPECT_EQ(CQeProjectThumbVirtualQueue::Create()->GetInterface(c.T(0)), nullptr);
  });
  Case("CQeProjectThumbDb::Clear(jobrunUuid)", 1, StoreFixtureThumb, [](Ctx& c) {
    ClearRun(c,
             [](CQeProjectThumbDb& thumbs, const CQeStringW& uuid) { return thumbs.Clear(uuid); });
  });
  Case("CQeProjectThumbDb::Clear(jobrunUuid, frameIndices)", 1, StoreFixtureThumb, [](Ctx& c) {
    ClearRun(c, [](CQeProjectThumbDb& thumbs, const CQeStringW& uuid) {
      const int status = thumbs.Clear(uuid, {0});
      return status == 0 ? thumbs.Clear(uuid) : status;  // the run row goes with Clear(uuid)
    });
  });
  Case("CQeProjectThumbDb::PostThumbRequest", 2, StoreFixtureThumb, [](Ctx& c) { Post(c, false); });
  Case("CQeProjectThumbDb::PostPreviewRequest", 2, StoreFixtureThumb,
       [](Ctx& c) { Post(c, true); });
  Case("CQeProjectThumbDb::CreateThumbnailFromFile", 2, StoreFixtureThumb, [](Ctx& c) {
    const CQeRefCountPtr<CQeProjectThumb> thumb = ThumbFromFile(c, c.t[0], c.t[1]);
    ASSERT_TRUE(thumb);
    EXPECT_TRUE(thumb->JobrunUuid() == c.t[0]);
    EXPECT_TRUE(thumb->FileName() == c.t[1]);
  });
  Case("CQeProjectThumb::GetInterface", 1, StoreFixtureThumb, [](Ctx& c) {
    const CQeRefCountPtr<CQeProjectThumb> thumb = ThumbFromFile(c, L"run", L"file");
    ASSERT_TRUE(thumb);
    EXPECT_EQ(thumb->GetInterface(c.T(0)), nullptr);
  });
  Case("CQeProjectThumb::StoreThumbDataToDb", 1, StoreFixtureThumb, [](Ctx& c) {
    const CQeStringW& uuid = c.t[0];
    sqlite3* db = c.Thumbs().DbOpenConnection();
    ASSERT_NE(db, nullptr);
    EXPECT_EQ(
        CQeProjectThumb::StoreThumbDataToDb(db, uuid, 2, 0, 128, 0, 2.0, CQeByteArray("jpeg", 4)),
        0);
    CQeProjectThumbDb::DbCloseConnection(db);
    c.MayAdd({"thumbs.jobrunuuid", "thumbs.frame", "thumbs.thumbnail"});
    const std::vector<CQeStringW> runs = ThumbRuns(c);
    ASSERT_FALSE(runs.empty());
    c.RoundTrip(runs.back(), uuid, "stored run uuid");
  });
  // ---- Not called with hostile texts ----
  Excluded("CQeProjectThumbDb::PostRequest",
           "private; reached through PostThumbRequest and PostPreviewRequest");
  Excluded("CQeProjectThumbDb::ExecuteOnOwnConnection", "private; runs the library's own SQL");
  Excluded("CQeProjectThumb::CQeProjectThumb", "private; reached through the posts");
  Excluded("CQeProjectThumb::Create", "private; reached through the posts");
  Excluded("CQeProjectThumbReader::CQeProjectThumbReader", "protected; reached through Create");
  return 0;
}();

}  // namespace
}  // namespace qe::hostile
