// Reading an XML file into a document (with its encoding converted to UTF-8)
// and writing a document to a file.
#pragma once

#include <string>

#include "platform/mfc/file_io.h"
#include "platform/xml/xml_doc_state.h"

namespace kiln::xml {

// Documents deeper than this are written without indentation.
constexpr size_t kMaxIndentedDepth = 256;

// Reads and parses the file into `state` (which must be fresh). False, with
// the reason (and line and column where there is one), when the file is
// missing, unreadable, in an unknown or invalid encoding, holds characters
// XML forbids or entities, or is not well-formed XML.
bool LoadXmlFile(const std::string& path, XmlDocState& state, std::string& error);
// The same for a file's bytes already read. A parse error's place is counted
// in the text as the parser left it (exact but where attribute values held
// line breaks); `parseErrorAt` receives its offset in the UTF-8 text.
bool ParseXmlText(kiln::file::Bytes bytes, XmlDocState& state, std::string& error, size_t* parseErrorAt = nullptr);

// Writes the document as indented UTF-8 with a declaration, through a
// temporary file beside the target that reaches the disk before its rename,
// so that a failure (or a crash) leaves no part of it. A document holding
// characters XML forbids is not written. A `target` of a user's choice never
// goes into the workspace's own folders (see kiln::file::KeptOut).
bool SaveXmlFile(const XmlDocState& state, const std::string& path, bool overwrite, std::string& error,
                 kiln::file::Target target = kiln::file::Target::Own);
// The same, over the file `name` of the open folder `dirfd` (which stays
// open), whatever its path leads to meanwhile; `path` names it in messages.
// `unsynced` (when given) receives whether the failure came only after the
// file took its name (the folder could not be synced).
bool SaveXmlFileAt(const XmlDocState& state, int dirfd, const std::string& name, const std::string& path,
                   std::string& error, kiln::file::Target target = kiln::file::Target::Own,
                   bool* unsynced = nullptr);

// One walk over the whole document, without recursion: the depth of the
// deepest node (the root element at 1), and whether every name and text may
// be written (none holds a character XML forbids or bytes that are not
// UTF-8). The walk stops at the first that may not.
struct DocSurvey {
    size_t depth = 0;
    bool writable = true;
};
DocSurvey Survey(const pugi::xml_node& root);

}  // namespace kiln::xml
