// Conversion between the program's UTF-8 text and the GBK code page of the
// original files. GB18030 is used for the conversion: it equals GBK for every
// GBK character and is lossless for the rest.
#pragma once

#include <string>
#include <string_view>

namespace kiln::text {

// UTF-8 to GBK bytes. Invalid UTF-8 bytes are passed through unchanged.
std::string Utf8ToGbk(std::string_view utf8);

// GBK (GB2312, GB18030) bytes to UTF-8. Returns false when the input is not
// valid in that encoding; `out` then holds what could be converted.
bool GbkToUtf8(std::string_view gbk, std::string& out);
std::string GbkToUtf8(std::string_view gbk);

// Converts `in` from the named encoding (any iconv name) to UTF-8.
bool ToUtf8(std::string_view in, const char* fromEncoding, std::string& out);

// The number of bytes the text takes in GBK.
int GbkLength(std::string_view utf8);

// True when the text's GBK form holds a double-byte character (a byte >= 0x80).
bool HasDoubleByte(std::string_view utf8);

}  // namespace kiln::text
