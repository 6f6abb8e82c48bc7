// Serializers: objects that store a lite-variant document in a file.
//
// CQeSerializerXMLFile is registered with CQeRTTI under its class name and
// answers the interface names "IQeSerializer" and "CQeSerializerXMLFile":
//
//   auto* s = static_cast<IQeSerializer*>(
//       CQeRTTI::CreateAndQuery(L"CQeSerializerXMLFile", L"IQeSerializer", __FILE__));
//   s->SetValue(CQeVariant(path, L"filename"));
//   CQeLiteVariantR document;
//   int status = s->Read(document);
//   CQeRTTI::Release(s);
//
// The XML layout is ours (docs/file-format.md, "Lite-variant documents as
// XML"). One serializer object must not be used by two threads at once.
#pragma once

#include "qe/core/lite_variant.h"
#include "qe/core/rtti.h"
#include "qe/core/variant.h"

class IQeSerializer {
 public:
  // Sets an option by the variant's name; the XML file serializer knows
  // "filename" (a text, compared without case). Returns 0, or -13 for an
  // option it does not know or a pointer where a text is needed.
  virtual int SetValue(const CQeVariant& value) = 0;
  // Reads the whole file into document. Returns 0; -1 when no file name is
  // set; -13 when the file does not exist; -10 when it is not a document
  // of our layout (document then empty).
  virtual int Read(CQeLiteVariantR& document) = 0;
  // Writes the whole document (whatever the reader's position) to the file,
  // replacing it. Returns 0; -1 without a file name; -10 when the
  // document's bytes are unusable; -9 when the file cannot be written.
  virtual int Write(const CQeLiteVariantR& document) = 0;

 protected:
  ~IQeSerializer() = default;
};

class CQeSerializerXMLFile : public CQeRTTIObject, public IQeSerializer {
 public:
  void* GetInterface(const wchar_t* name) override;
  int SetValue(const CQeVariant& value) override;
  int Read(CQeLiteVariantR& document) override;
  int Write(const CQeLiteVariantR& document) override;

 private:
  CQeStringW filename_;
};
