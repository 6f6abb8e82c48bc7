// Lite-variant documents as XML elements (pugixml), for the XML serializer
// and for code that embeds a document in an XML file of its own.
// The layout is documented in docs/file-format.md ("Lite-variant documents
// as XML"). Pure functions; thread-safe on distinct objects.
#pragma once

#include <pugixml.hpp>

#include "qe/core/lite_variant.h"

namespace qe {

// Appends the entries of the whole document as child elements of element
// and sets its version attribute. Returns 0, or -10 when the document's
// bytes are unusable (element untouched).
int LiteVariantToXml(const CQeLiteVariantR& document, pugi::xml_node element);

// Reads the child elements of element into document (replacing it; the
// reader is then at the top). Returns 0, or -10 for an unknown element, a
// value that does not read as its type, an unsupported version or nesting
// deeper than 64 levels (document then empty).
int LiteVariantFromXml(const pugi::xml_node& element, CQeLiteVariantR& document);

// pugixml parse options that keep texts exactly (line ends and blank texts).
unsigned int LiteVariantXmlParseOptions();

}  // namespace qe
