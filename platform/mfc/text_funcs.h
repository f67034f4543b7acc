// The framework's free text functions and the path helpers.
#pragma once

#include <string>
#include <string_view>

#include "platform/mfc/containers.h"
#include "platform/mfc/cstring.h"

// The text after the first `first`, then (when `second` is not empty) after the
// first `second` in what remains. Empty when a separator does not occur.
CString StringAfter(const CString& text, const CString& first, const CString& second = CString());

// The text before the first `sep`; the whole text when `sep` does not occur.
CString StringBefore(const CString& text, const CString& sep);

// A number as text: at least `width` digits before the point (zero-padded) and
// `decimals` digits after it.
CString ToString(double value, int width, int decimals);
CString ToString(int value);

// The index of the first text of the list equal to `text` (exact), -1 when none.
int Search_StringArray(const CStringArray& list, const CString& text);

// A path or name made from the file `path` by the pattern: "**name**" stands
// for the file name without folder and extension, "**ext**" for the
// extension (without its point), "**file**" for the file name with its
// extension and "**path**" for the folder that holds the file; any other text
// is kept. When `folder` is not empty the result is placed in that folder.
// So ("/vp/PL2201.svg", "**name**", "") gives "PL2201". Only "/" separates:
// a backslash is part of a name.
CString create_path(const CString& path, const CString& pattern, const CString& folder);

namespace kiln::text {

// The number at the start of a text, read as the C library's atoi reads it
// (leading blanks, an optional sign, the digits up to the first other
// character; 0 when there are none), but saturating instead of overflowing.
long long AtoiValue(std::string_view text);

// The text with the characters that show as nothing or as a blank written
// as escapes (a tab as \t, a byte-order mark as \uFEFF, a no-break space
// as \u00A0), so that an error names a text as it is; line breaks stay.
// Bytes that are no UTF-8 pass as they are, or with `bytes` as \xFF, for a
// text read from a file before its encoding is known.
std::string Visible(std::string_view s, bool bytes = false);

}  // namespace kiln::text

namespace kiln::path {

// The paths a user gives are used as they are: "/" is the only separator,
// and a backslash is a character of a name.

// True when the path ends in "/".
bool EndsWithSeparator(const CString& path);

// `dir` and `name` joined with exactly one "/".
CString Join(const CString& dir, const CString& name);

// Where a template lives: the document folder, then "/../Template/" (or
// "../Template/" when the folder already ends in a separator), then the file.
CString TemplateFile(const CString& docFolder, const CString& fileName);

// The file such a path names, its ".." taken against the path as written, so
// that a document folder that is a link to another place still finds the
// Template folder beside it.
CString TemplateFileToOpen(const CString& templateFile);

}  // namespace kiln::path
