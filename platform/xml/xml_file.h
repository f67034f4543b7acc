// Reading an XML file into a document (with its encoding converted to UTF-8)
// and writing a document to a file.
#pragma once

#include <string>

#include "platform/xml/xml_doc_state.h"

namespace kiln::xml {

// Reads and parses the file into `state` (which must be fresh). False when
// the file is missing, unreadable, in an unknown or invalid encoding, or not
// well-formed XML.
bool LoadXmlFile(const std::string& path, XmlDocState& state);

// Writes the document as indented UTF-8 with a declaration, through a
// temporary file beside the target, so that a failure leaves no file.
bool SaveXmlFile(const pugi::xml_document& doc, const std::string& path, bool overwrite);

}  // namespace kiln::xml
