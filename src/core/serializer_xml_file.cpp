#include <cwchar>
#include <system_error>

#include "qe/core/files.h"
#include "qe/core/lite_variant_xml.h"
#include "qe/core/serializer.h"
#include "qe/core/status.h"

namespace {
constexpr const char* kRootElement = "QeLiteVariant";
}

QE_RTTI_REGISTER(CQeSerializerXMLFile);

void* CQeSerializerXMLFile::GetInterface(const wchar_t* name) {
  if (!name) return nullptr;
  if (std::wcscmp(name, L"IQeSerializer") == 0) return static_cast<IQeSerializer*>(this);
  if (std::wcscmp(name, L"CQeSerializerXMLFile") == 0) return this;
  return nullptr;
}

int CQeSerializerXMLFile::SetValue(const CQeVariant& value) {
  if (value.IsPointer() || value.GetName().CompareNoCase(L"filename") != 0) return eQeNotFound;
  filename_ = value.GetString();
  return eQeOk;
}

int CQeSerializerXMLFile::Read(CQeLiteVariantR& document) {
  document.SetDocument({});
  if (filename_.IsEmpty()) return eQeNoPathOrTooNew;
  std::filesystem::path path = qe::ToFsPath(filename_);
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return eQeNotFound;
  pugi::xml_document xml;
  if (!xml.load_file(path.c_str(), qe::LiteVariantXmlParseOptions(), pugi::encoding_utf8)) {
    return eQeUnusableFile;
  }
  pugi::xml_node root = xml.document_element();
  if (std::string_view(root.name()) != kRootElement) return eQeUnusableFile;
  return qe::LiteVariantFromXml(root, document);
}

int CQeSerializerXMLFile::Write(const CQeLiteVariantR& document) {
  if (filename_.IsEmpty()) return eQeNoPathOrTooNew;
  pugi::xml_document xml;
  pugi::xml_node declaration = xml.append_child(pugi::node_declaration);
  declaration.append_attribute("version").set_value("1.0");
  declaration.append_attribute("encoding").set_value("UTF-8");
  int status = qe::LiteVariantToXml(document, xml.append_child(kRootElement));
  if (status != eQeOk) return status;
  bool saved = xml.save_file(qe::ToFsPath(filename_).c_str(), "  ", pugi::format_default,
                             pugi::encoding_utf8);
  return saved ? eQeOk : eQeFailed;
}
