// Writes the seed corpora of the fuzz targets into <folder>/<target>/: a few
// valid inputs each, made by the library's own writers, so that the fuzzers
// start from inputs that reach deep into each reader.
#include <tiffio.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include "qe/core/byte_array.h"
#include "qe/core/lite_variant.h"
#include "qe/core/rtti.h"
#include "qe/core/serializer.h"
#include "qe/core/string.h"
#include "qe/core/variant.h"
#include "qe/labware/insert_object_database.h"
#include "qe/labware/shape.h"
#include "qe/picture/image_format.h"
#include "qe/picture/pic_buf.h"

namespace {

namespace fs = std::filesystem;

void Write(const fs::path& path, const void* data, size_t size) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
}
void Write(const fs::path& path, const CQeByteArray& bytes) {
  Write(path, bytes.bytes().data(), bytes.bytes().size());
}
void Write(const fs::path& path, const std::string& text) { Write(path, text.data(), text.size()); }

template <typename T>
CQeByteArray Saved(const T& object) {
  CQeLiteVariantW writer;
  object.SaveToLiteVariant(writer);
  CQeLiteVariantR reader;
  writer.Finalize(reader);
  return reader.Data();
}

CQeByteArray MixedDocument() {
  CQeLiteVariantW writer;
  writer.Set(true, L"flag");
  writer.Set(int32_t{-7}, L"count");
  writer.Set(uint32_t{4000000000u}, L"big");
  writer.Set(2.5, L"ratio");
  writer.Set(L"Zellkern Größe 'x' \"y\"", L"text");
  writer.Set(CQeByteArray("\x01\x02\x00\xff", 4), L"bytes");
  writer.LevelBegin(L"nested");
  writer.Set(int32_t{1});
  writer.Set(L"unnamed");
  writer.LevelBegin();
  writer.Set(3.0, L"inner");
  writer.LevelEnd();
  writer.LevelEnd();
  CQeLiteVariantR reader;
  writer.Finalize(reader);
  return reader.Data();
}

// The document as the XML serializer writes it.
std::string AsXml(const CQeByteArray& bytes, const fs::path& scratch) {
  IQeSerializer* serializer = static_cast<IQeSerializer*>(
      CQeRTTI::CreateAndQuery(L"CQeSerializerXMLFile", L"IQeSerializer", __FILE__));
  serializer->SetValue(CQeVariant(CQeStringW(scratch.wstring()), L"filename"));
  serializer->Write(CQeLiteVariantR(bytes));
  CQeRTTI::Release(serializer);
  std::ifstream in(scratch, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  fs::remove(scratch);
  return text;
}

void Pictures(const fs::path& root) {
  CQeImageFormatManager manager;
  int n = 0;
  for (auto [width, height, components] :
       {std::tuple{16u, 12u, 3u}, std::tuple{9u, 7u, 1u}, std::tuple{33u, 2u, 3u}}) {
    CQePicBufOwner picture;
    CQePicBufAPI::Reinit(picture.Get(), width, height, 8, components);
    for (unsigned int i = 0; i < picture->uiByteSize; ++i) picture->pData[i] = i * 37 % 256;
    ++n;
    CQeRefCountPtr<IQeImageFormatHandler> handler;
    manager.GetHandlerForFormatName(L"JPG", handler);
    CQeRefCountPtr<IQeOutputImageFile> output;
    CQeByteArray bytes;
    handler->CreateOutputBytes(&bytes, output);
    output->SetImageInfo(width, height, 8, components, 0.8);
    output->WritePixels(picture.Get());
    output->Finish();
    Write(root / "jpeg" / ("seed" + std::to_string(n)), bytes);
  }
}

// One TIFF page: strips or tiles, 8 or 16 bits; the library writes no TIFF,
// so libtiff writes these directly.
struct TiffPage {
  uint32_t width, height;
  uint16_t samples, bits, compression;
  uint32_t tile;  // 0: strips of 3 rows
};

void WriteTiff(const fs::path& path, const std::vector<TiffPage>& pages) {
  fs::create_directories(path.parent_path());
  TIFF* tiff = TIFFOpen(path.c_str(), "w");
  for (const TiffPage& page : pages) {
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, page.width);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, page.height);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, page.samples);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, page.bits);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC,
                 page.samples == 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, page.compression);
    const size_t sample_bytes = page.bits / 8;
    if (page.tile != 0) {
      TIFFSetField(tiff, TIFFTAG_TILEWIDTH, page.tile);
      TIFFSetField(tiff, TIFFTAG_TILELENGTH, page.tile);
      std::vector<uint8_t> tile(TIFFTileSize(tiff));
      for (size_t i = 0; i < tile.size(); ++i) tile[i] = static_cast<uint8_t>(i * 13);
      for (uint32_t y = 0; y < page.height; y += page.tile) {
        for (uint32_t x = 0; x < page.width; x += page.tile) {
          TIFFWriteTile(tiff, tile.data(), x, y, 0, 0);
        }
      }
    } else {
      TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, 3);
      std::vector<uint8_t> row(page.width * page.samples * sample_bytes);
      for (uint32_t y = 0; y < page.height; ++y) {
        for (size_t i = 0; i < row.size(); ++i) row[i] = static_cast<uint8_t>(i * 7 + y);
        TIFFWriteScanline(tiff, row.data(), y, 0);
      }
    }
    TIFFWriteDirectory(tiff);
  }
  TIFFClose(tiff);
}

void Tiffs(const fs::path& root) {
  WriteTiff(root / "tiff" / "gray8", {{20, 10, 1, 8, COMPRESSION_NONE, 0}});
  WriteTiff(root / "tiff" / "rgb_lzw_tiles", {{40, 24, 3, 8, COMPRESSION_LZW, 16}});
  WriteTiff(root / "tiff" / "pages16",
            {{12, 9, 1, 16, COMPRESSION_NONE, 0}, {30, 6, 3, 8, COMPRESSION_DEFLATE, 0}});
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz_make_seeds <corpus folder>\n");
    return 2;
  }
  const fs::path root = argv[1];
  CQeInsertObjectDatabase::Init();
  const auto& plates = CQeInsertObjectDatabase::m_vectWellplateConfigs;
  const auto& dishes = CQeInsertObjectDatabase::m_vectDishConfigs;
  const auto& slides = CQeInsertObjectDatabase::m_vectSlides;

  const char* searches[] = {"cell nucleus \"stained 'DAPI'\"",
                            "job:screen* label=A?1 -keyword:old +plate:\"96 well\"",
                            "assay:Viability quantity:12 date>1.3.2024 10:30 pm",
                            "date:2024-02-29 -date<3/4 last:5",
                            "first=3",
                            "label:%_\\ job:O'Neil's"};
  for (size_t i = 0; i < std::size(searches); ++i) {
    Write(root / "search" / ("seed" + std::to_string(i)), std::string(searches[i]));
  }

  Write(root / "lite_variant" / "mixed", MixedDocument());
  Write(root / "lite_variant" / "empty", CQeByteArray());
  Write(root / "lite_variant" / "plate", Saved(plates.at(0).wellplate));

  Write(root / "labware" / "plate96", Saved(plates.at(plates.size() / 2).wellplate));
  Write(root / "labware" / "plate_first", Saved(plates.at(0).wellplate));
  Write(root / "labware" / "dish", Saved(dishes.at(0).holder));
  Write(root / "labware" / "slide", Saved(slides.at(0).holder));
  Write(root / "labware" / "polygon", Saved(SQeShape({{0, 0}, {1, 0}, {0.5, 1}})));
  Write(root / "labware" / "round", Saved(SQeShape(3.0)));
  Write(root / "labware" / "element", Saved(plates.at(0).wellplate.GetWell()));

  CQeLiteVariantW writer;
  writer.LevelBegin(L"Wellplates");
  for (size_t i : {size_t{0}, plates.size() - 1}) {
    writer.LevelBegin();
    plates.at(i).wellplate.SaveToLiteVariant(writer);
    writer.LevelEnd();
  }
  writer.LevelEnd();
  CQeLiteVariantR platefile;
  writer.Finalize(platefile);
  const fs::path scratch = root / "scratch.xml";
  Write(root / "plate_xml" / "plates", AsXml(platefile.Data(), scratch));
  Write(root / "plate_xml" / "mixed", AsXml(MixedDocument(), scratch));

  Pictures(root);
  Tiffs(root);
  return 0;
}
