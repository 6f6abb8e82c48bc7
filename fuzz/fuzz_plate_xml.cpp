// The XML side: arbitrary bytes as a lite-variant XML document (the parse
// options and element reader of the XML serializer), whose documents must
// write back to XML that reads to the same document; and the same bytes as
// an XML plate file given to the user plate import (without a database, so
// every plate is read and loaded and the store step fails cleanly).
#include <cstring>
#include <pugixml.hpp>
#include <string>

#include "fuzz_util.h"
#include "qe/core/lite_variant_xml.h"
#include "qe/core/string.h"
#include "qe/projectdb/records/labware_catalogue.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  pugi::xml_document xml;
  if (xml.load_buffer(data, size, qe::LiteVariantXmlParseOptions(), pugi::encoding_utf8)) {
    CQeLiteVariantR document;
    if (qe::LiteVariantFromXml(xml.document_element(), document) == 0) {
      pugi::xml_document written;
      pugi::xml_node root = written.append_child("QeLiteVariant");
      QE_FUZZ_CHECK(qe::LiteVariantToXml(document, root) == 0);
      CQeLiteVariantR again;
      QE_FUZZ_CHECK(qe::LiteVariantFromXml(root, again) == 0);
      QE_FUZZ_CHECK(again.Data().bytes() == document.Data().bytes());
    }
  }

  const std::string path = qe::fuzz::TempFolder() + "/plates.xml";
  qe::fuzz::WriteFile(path, data, size);
  int imported = -1, skipped = -1;
  const int status = QeProjectDb_Wellplatedef_ImportUserPlateDefs(
      0, CQeStringW(qe::Utf8ToWide(path)), &imported, &skipped);
  QE_FUZZ_CHECK(imported == 0 && skipped >= 0);
  QE_FUZZ_CHECK(status == 0 || status == -9 || status == -10);
  return 0;
}
