#include "platform/mfc/cstring.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
char asciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
const char* kWhitespace = " \t\r\n\v\f";

}  // namespace

char CString::GetAt(int i) const {
    if (i < 0 || i >= GetLength()) return '\0';
    return m_s[static_cast<size_t>(i)];
}

void CString::SetAt(int i, char c) {
    if (i >= 0 && i < GetLength()) m_s[static_cast<size_t>(i)] = c;
}

int CString::Find(char c, int start) const {
    if (start < 0) start = 0;
    if (start >= GetLength()) return -1;
    size_t p = m_s.find(c, static_cast<size_t>(start));
    return p == std::string::npos ? -1 : static_cast<int>(p);
}

int CString::Find(const char* sub, int start) const {
    if (!sub) return -1;
    if (start < 0) start = 0;
    if (start > GetLength()) return -1;
    size_t p = m_s.find(sub, static_cast<size_t>(start));
    return p == std::string::npos ? -1 : static_cast<int>(p);
}

int CString::ReverseFind(char c) const {
    size_t p = m_s.rfind(c);
    return p == std::string::npos ? -1 : static_cast<int>(p);
}

CString CString::Left(int count) const {
    if (count <= 0) return CString();
    return CString(m_s.substr(0, static_cast<size_t>(count)));
}

CString CString::Right(int count) const {
    if (count <= 0) return CString();
    if (count >= GetLength()) return *this;
    return CString(m_s.substr(m_s.size() - static_cast<size_t>(count)));
}

CString CString::Mid(int first) const {
    if (first < 0) first = 0;
    if (first >= GetLength()) return CString();
    return CString(m_s.substr(static_cast<size_t>(first)));
}

CString CString::Mid(int first, int count) const {
    if (first < 0) first = 0;
    if (count <= 0 || first >= GetLength()) return CString();
    return CString(m_s.substr(static_cast<size_t>(first), static_cast<size_t>(count)));
}

CString CString::Tokenize(const char* delims, int& start) const {
    if (start < 0 || start >= GetLength()) {
        start = -1;
        return CString();
    }
    const char* d = delims ? delims : "";
    size_t b = m_s.find_first_not_of(d, static_cast<size_t>(start));
    if (b == std::string::npos) {
        start = -1;
        return CString();
    }
    size_t e = m_s.find_first_of(d, b);
    if (e == std::string::npos) e = m_s.size();
    start = static_cast<int>(e == m_s.size() ? e : e + 1);
    return CString(m_s.substr(b, e - b));
}

int CString::Replace(const char* oldText, const char* newText) {
    if (!oldText || !*oldText) return 0;
    const std::string from(oldText), to(newText ? newText : "");
    int n = 0;
    std::string out;
    size_t pos = 0;
    for (;;) {
        size_t p = m_s.find(from, pos);
        if (p == std::string::npos) break;
        out.append(m_s, pos, p - pos);
        out += to;
        pos = p + from.size();
        ++n;
    }
    if (n == 0) return 0;
    out.append(m_s, pos, std::string::npos);
    m_s.swap(out);
    return n;
}

int CString::Replace(char oldChar, char newChar) {
    int n = 0;
    for (char& c : m_s)
        if (c == oldChar) {
            c = newChar;
            ++n;
        }
    return n;
}

int CString::Remove(char c) {
    size_t before = m_s.size();
    m_s.erase(std::remove(m_s.begin(), m_s.end(), c), m_s.end());
    return static_cast<int>(before - m_s.size());
}

int CString::Insert(int index, const char* text) {
    index = std::clamp(index, 0, GetLength());
    m_s.insert(static_cast<size_t>(index), text ? text : "");
    return GetLength();
}

int CString::Insert(int index, char c) {
    index = std::clamp(index, 0, GetLength());
    m_s.insert(static_cast<size_t>(index), 1, c);
    return GetLength();
}

int CString::Delete(int index, int count) {
    if (index < 0) index = 0;
    if (count > 0 && index < GetLength()) m_s.erase(static_cast<size_t>(index), static_cast<size_t>(count));
    return GetLength();
}

CString& CString::MakeLower() {
    for (char& c : m_s) c = asciiLower(c);
    return *this;
}

CString& CString::MakeUpper() {
    for (char& c : m_s) c = asciiUpper(c);
    return *this;
}

CString& CString::Trim() { return TrimRight().TrimLeft(); }
CString& CString::Trim(char c) { return TrimRight(c).TrimLeft(c); }
CString& CString::Trim(const char* chars) { return TrimRight(chars).TrimLeft(chars); }
CString& CString::TrimLeft() { return TrimLeft(kWhitespace); }
CString& CString::TrimRight() { return TrimRight(kWhitespace); }

CString& CString::TrimLeft(char c) {
    char set[2] = {c, '\0'};
    return TrimLeft(set);
}

CString& CString::TrimRight(char c) {
    char set[2] = {c, '\0'};
    return TrimRight(set);
}

CString& CString::TrimLeft(const char* chars) {
    size_t b = m_s.find_first_not_of(chars ? chars : "");
    m_s.erase(0, b == std::string::npos ? m_s.size() : b);
    return *this;
}

CString& CString::TrimRight(const char* chars) {
    size_t e = m_s.find_last_not_of(chars ? chars : "");
    m_s.erase(e == std::string::npos ? 0 : e + 1);
    return *this;
}

void CString::FormatV(const char* fmt, va_list args) {
    if (!fmt) {
        m_s.clear();
        return;
    }
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, fmt, copy);
    va_end(copy);
    if (n < 0) {
        m_s.clear();
        return;
    }
    std::vector<char> buf(static_cast<size_t>(n) + 1);
    std::vsnprintf(buf.data(), buf.size(), fmt, args);
    m_s.assign(buf.data(), static_cast<size_t>(n));
}

void CString::Format(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    FormatV(fmt, args);
    va_end(args);
}

void CString::AppendFormat(const char* fmt, ...) {
    CString tail;
    va_list args;
    va_start(args, fmt);
    tail.FormatV(fmt, args);
    va_end(args);
    m_s += tail.m_s;
}

int CString::Compare(const char* other) const {
    int c = m_s.compare(other ? other : "");
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int CString::CompareNoCase(const char* other) const {
    const char* a = m_s.c_str();
    const char* b = other ? other : "";
    for (;; ++a, ++b) {
        unsigned char ca = static_cast<unsigned char>(asciiLower(*a));
        unsigned char cb = static_cast<unsigned char>(asciiLower(*b));
        if (ca != cb) return ca < cb ? -1 : 1;
        if (ca == 0) return 0;
    }
}
