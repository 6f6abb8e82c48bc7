#include "qe/core/lite_variant_xml.h"

#include <gtest/gtest.h>

#include <limits>

#include "qe/core/serializer.h"
#include "qe/core/status.h"
#include "support/temp_dir.h"

TEST(LiteVariantXml, AFileRoundTripKeepsEveryValueExactly) {
  CQeLiteVariantW w;
  w.LevelBegin(L"Wellplates");
  w.LevelBegin(nullptr);
  w.Set(L"Plate \"1\" <&> 'é'", L"wsModelName");
  w.Set(L"  line one\r\nline two\t ctl\x01", L"wsTypeName");
  w.Set(int32_t{-2147483647 - 1}, L"eNamingMode");
  w.Set(0.1 + 0.2, L"dXDistance");
  w.Set(-0.0, L"dNegZero");
  w.Set(std::numeric_limits<double>::infinity(), L"dInf");
  w.Set(CQeByteArray("\x00\xAB\xFF", 3), L"pData");
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
