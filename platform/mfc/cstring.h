// CString: the class library's multibyte string, here over a UTF-8 std::string.
// Indices and lengths are in bytes; case folding touches ASCII letters only,
// so Chinese text is never changed by it.
#pragma once

#include <cstdarg>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>

class CString {
public:
    CString() = default;
    CString(const char* s) : m_s(s ? s : "") {}
    CString(const std::string& s) : m_s(s) {}
    CString(std::string&& s) : m_s(std::move(s)) {}
    CString(std::string_view s) : m_s(s) {}
    CString(char c, int count = 1) : m_s(count > 0 ? static_cast<size_t>(count) : 0, c) {}
    CString(const char* s, int len) : m_s(s ? std::string(s, len > 0 ? static_cast<size_t>(len) : 0) : std::string()) {}

    // access
    int GetLength() const { return static_cast<int>(m_s.size()); }
    bool IsEmpty() const { return m_s.empty(); }
    void Empty() { m_s.clear(); }
    char GetAt(int i) const;  // '\0' outside the text
    void SetAt(int i, char c);
    char operator[](int i) const { return GetAt(i); }
    const char* GetString() const { return m_s.c_str(); }
    operator const char*() const { return m_s.c_str(); }
    const std::string& str() const { return m_s; }
    std::string& str() { return m_s; }

    // searching: -1 when not found or when start lies past the end
    int Find(char c, int start = 0) const;
    int Find(const char* sub, int start = 0) const;
    int ReverseFind(char c) const;

    // extraction: counts are clamped to the text, negative counts give ""
    CString Left(int count) const;
    CString Right(int count) const;
    CString Mid(int first) const;
    CString Mid(int first, int count) const;
    CString Tokenize(const char* delims, int& start) const;

    // modification
    int Replace(const char* oldText, const char* newText);  // returns the number replaced
    int Replace(char oldChar, char newChar);
    int Remove(char c);
    int Insert(int index, const char* text);
    int Insert(int index, char c);
    int Delete(int index, int count = 1);
    CString& MakeLower();
    CString& MakeUpper();
    CString& Trim();
    CString& Trim(char c);
    CString& Trim(const char* chars);
    CString& TrimLeft();
    CString& TrimLeft(char c);
    CString& TrimLeft(const char* chars);
    CString& TrimRight();
    CString& TrimRight(char c);
    CString& TrimRight(const char* chars);
    void Format(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
    void AppendFormat(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
    void FormatV(const char* fmt, va_list args);
    void Append(const char* s) { m_s += (s ? s : ""); }

    // comparison: Compare is byte order; CompareNoCase folds ASCII only
    int Compare(const char* other) const;
    int CompareNoCase(const char* other) const;

    CString& operator=(const char* s) { m_s = s ? s : ""; return *this; }
    CString& operator=(const std::string& s) { m_s = s; return *this; }
    CString& operator+=(const CString& s) { m_s += s.m_s; return *this; }
    CString& operator+=(const char* s) { m_s += (s ? s : ""); return *this; }
    CString& operator+=(char c) { m_s += c; return *this; }

    friend bool operator==(const CString& a, const CString& b) { return a.m_s == b.m_s; }
    friend bool operator==(const CString& a, const char* b) { return a.m_s == (b ? b : ""); }
    friend bool operator==(const char* a, const CString& b) { return b == a; }
    friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
    friend bool operator!=(const CString& a, const char* b) { return !(a == b); }
    friend bool operator!=(const char* a, const CString& b) { return !(b == a); }
    friend bool operator<(const CString& a, const CString& b) { return a.m_s < b.m_s; }
    friend bool operator>(const CString& a, const CString& b) { return b.m_s < a.m_s; }
    friend bool operator<=(const CString& a, const CString& b) { return !(b.m_s < a.m_s); }
    friend bool operator>=(const CString& a, const CString& b) { return !(a.m_s < b.m_s); }

    friend CString operator+(const CString& a, const CString& b) { return CString(a.m_s + b.m_s); }
    friend CString operator+(const CString& a, const char* b) { return CString(a.m_s + (b ? b : "")); }
    friend CString operator+(const char* a, const CString& b) { return CString((a ? a : "") + b.m_s); }
    friend CString operator+(const CString& a, char c) { return CString(a.m_s + c); }
    friend CString operator+(char c, const CString& b) { return CString(std::string(1, c) + b.m_s); }

    friend std::ostream& operator<<(std::ostream& os, const CString& s) { return os << s.m_s; }

private:
    std::string m_s;
};

template <>
struct std::hash<CString> {
    size_t operator()(const CString& s) const noexcept { return std::hash<std::string>()(s.str()); }
};
