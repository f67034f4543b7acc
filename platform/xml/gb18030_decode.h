// Fast GB18030 (and so GBK and GB2312) to UTF-8 conversion for large files.
// The two-byte codes go through a table that is read from iconv once; the
// rare four-byte codes go through iconv itself. The result equals iconv's.
#pragma once

#include <cstddef>

#include "platform/xml/xml_check.h"

namespace kiln::xml {

// Converts `size` bytes at `in` into `out`, where `outSize` bytes are free
// on entry (2 * size are always enough; so is the size a first call with
// `out` null gave: such a call only counts, giving an upper bound a little
// above the exact size). On return `outSize` is the size written. False on
// a byte sequence that is not GB18030 (`badOffset` then receives its place)
// or when the room runs out; nothing is ever written past the room. Where
// the room takes twice what is left of the input, runs of ASCII are copied
// by vectors of the width asked for (every width gives the same answers).
bool Gb18030ToUtf8(const char* in, size_t size, char* out, size_t& outSize, size_t* badOffset = nullptr,
                   ScanWidth width = ScanWidth::kWidest);

}  // namespace kiln::xml
