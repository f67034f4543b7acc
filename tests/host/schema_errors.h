// The schema errors xmllint gives for an exported ICD, held against the
// breaches the export named after its success text.
#pragma once

#include <string>

namespace kiln::test {

// Every schema error of the written file `path` (xmllint's output
// `errors`) that no breach of `message` ("不符合SCL的..." lines) speaks of,
// and every breach that speaks of no error, a line each; "" when they
// match. A breach speaks of an error when it holds the value the error
// quotes ("The value 'X'", "key-sequence ['X'", ": 'X' is not"), the value
// of the attribute it names, or the id, name, inst or ord of the error's
// element (of the nearest one above it that has one) or of its parent.
std::string SchemaErrorsAgainstBreaches(const std::string& path, const std::string& message,
                                        const std::string& errors);

}  // namespace kiln::test
