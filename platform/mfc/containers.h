// The class library's CStringArray, over a typed array.
#pragma once

#include <algorithm>
#include <vector>

#include "platform/mfc/cstring.h"

template <typename T>
class CArrayOf {
public:
    int GetSize() const { return static_cast<int>(m_v.size()); }
    int GetCount() const { return GetSize(); }
    int GetUpperBound() const { return GetSize() - 1; }
    bool IsEmpty() const { return m_v.empty(); }
    int Add(const T& v) {
        m_v.push_back(v);
        return GetUpperBound();
    }
    // Out-of-range reads give a default value instead of undefined behaviour.
    T GetAt(int i) const { return (i >= 0 && i < GetSize()) ? m_v[static_cast<size_t>(i)] : T(); }
    void SetAt(int i, const T& v) {
        if (i >= 0 && i < GetSize()) m_v[static_cast<size_t>(i)] = v;
    }
    T& operator[](int i) { return m_v.at(static_cast<size_t>(i)); }
    const T& operator[](int i) const { return m_v.at(static_cast<size_t>(i)); }
    void InsertAt(int i, const T& v) {
        if (i < 0) i = 0;
        if (i > GetSize()) i = GetSize();
        m_v.insert(m_v.begin() + i, v);
    }
    void RemoveAt(int i, int count = 1) {
        if (i < 0 || i >= GetSize() || count <= 0) return;
        int end = std::min(GetSize(), i + count);
        m_v.erase(m_v.begin() + i, m_v.begin() + end);
    }
    void RemoveAll() { m_v.clear(); }
    void SetSize(int n) { m_v.resize(n > 0 ? static_cast<size_t>(n) : 0); }
    int Append(const CArrayOf& other) {
        int first = GetSize();
        m_v.insert(m_v.end(), other.m_v.begin(), other.m_v.end());
        return first;
    }
    auto begin() { return m_v.begin(); }
    auto end() { return m_v.end(); }
    auto begin() const { return m_v.begin(); }
    auto end() const { return m_v.end(); }

private:
    std::vector<T> m_v;
};

using CStringArray = CArrayOf<CString>;
