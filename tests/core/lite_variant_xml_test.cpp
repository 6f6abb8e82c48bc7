#include "qe/core/lite_variant_xml.h"

#include <gtest/gtest.h>

#include <fstream>
#include <limits>

#include "qe/core/serializer.h"
#include "qe/core/status.h"
#include "support/temp_dir.h"

TEST(LiteVariantXml, AFileRoundTripKeepsEveryValueExactly) {
  CQeLiteVariantW w;
  w.LevelBegin(L"Wellplates");
  w.LevelBegin(nullptr);
  w.Set(L"Plate \"1\" <&> 'é'", L"wsModelName");
  w.Set(L"  line one\r\nline two\t ", L"wsTypeName");
  w.Set(L"ctl\x01", L"wsControl");
  w.Set(int32_t{-2147483647 - 1}, L"eNamingMode");
  w.Set(uint32_t{4294967295u}, L"uiXCount");
  w.Set(0.1 + 0.2, L"dXDistance");
  w.Set(-0.0, L"dNegZero");
  w.Set(std::numeric_limits<double>::infinity(), L"dInf");
  const uint8_t raw[] = {0x00, 0xAB, 0xFF};
  w.Set(CQeByteArray(raw, 3), L"pData");
  w.Set(CQeByteArray(), L"pEmpty");
  w.LevelEnd();
  w.Set(L"unnamed text");
  w.LevelEnd();
  CQeLiteVariantR doc;
  ASSERT_EQ(w.Finalize(doc), 0);

  qe::test::TempDir dir;
  auto* s = static_cast<IQeSerializer*>(
      CQeRTTI::CreateAndQuery(L"CQeSerializerXMLFile", L"IQeSerializer", __FILE__));
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->Write(doc), eQeNoPathOrTooNew);
  ASSERT_EQ(s->SetValue(CQeVariant(CQeStringW::FromUtf8(dir.File("plätes.xml")), L"FileName")), 0);
  ASSERT_EQ(s->Write(doc), 0);
  CQeLiteVariantR back;
  ASSERT_EQ(s->Read(back), 0);
  ASSERT_NE(back.Document(), nullptr);
  EXPECT_TRUE(*back.Document() == *doc.Document());
  EXPECT_EQ(CQeRTTI::Release(s), 0);
}

TEST(LiteVariantXml, BadFilesAreRefusedWithAStatus) {
  qe::test::TempDir dir;
  CQeSerializerXMLFile s;
  s.SetValue(CQeVariant(CQeStringW::FromUtf8(dir.File("missing.xml")), L"filename"));
  CQeLiteVariantR doc;
  EXPECT_EQ(s.Read(doc), eQeNotFound);
  const char* bad[] = {
      "not xml at all <",
      "<QeLiteVariant version=\"2\"/>",
      "<QeLiteVariant><Int32 name=\"i\">12x</Int32></QeLiteVariant>",
      "<QeLiteVariant><UInt32 name=\"u\">-1</UInt32></QeLiteVariant>",
      "<QeLiteVariant><Int32 name=\"i\">99999999999</Int32></QeLiteVariant>",
      "<QeLiteVariant><Bytes>abc</Bytes></QeLiteVariant>",
  };
  for (const char* text : bad) {
    std::ofstream(dir.File("bad.xml")) << text;
    s.SetValue(CQeVariant(CQeStringW::FromUtf8(dir.File("bad.xml")), L"filename"));
    EXPECT_EQ(s.Read(doc), eQeUnusableFile) << text;
    EXPECT_TRUE(doc.IsEmpty());
  }
  // Hand-written files may indent numbers.
  std::ofstream(dir.File("ok.xml"))
      << "<QeLiteVariant>\n <Level name=\"L\">\n  <Int32 name=\"i\">\n"
         "   +12\n  </Int32>\n </Level>\n</QeLiteVariant>";
  s.SetValue(CQeVariant(CQeStringW::FromUtf8(dir.File("ok.xml")), L"filename"));
  ASSERT_EQ(s.Read(doc), 0);
  ASSERT_EQ(doc.LevelBegin(L"L"), 0);
  EXPECT_EQ(doc.Get(L"i", 0), 12);
}
