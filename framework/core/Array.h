// CArray: a growable array of values indexed from 0, kept in index order. Elements are held by
// value; GetAt hands out a copy, operator[] and ElementAt give access in place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <utility>
#include <vector>

template <typename TYPE, typename ARG_TYPE = const TYPE&>
class CArray {
public:
    int GetSize() const { return static_cast<int>(m_data.size()); }
    int GetUpperBound() const { return GetSize() - 1; }
    bool IsEmpty() const { return m_data.empty(); }

    // Grows with default-constructed elements or shrinks, destroying the elements cut off.
    void SetSize(int nNewSize) { m_data.resize(nNewSize < 0 ? 0 : static_cast<std::size_t>(nNewSize)); }
    void RemoveAll() { m_data.clear(); }
    void Reserve(int nCount) { m_data.reserve(static_cast<std::size_t>(nCount)); }

    TYPE GetAt(int nIndex) const { return m_data[static_cast<std::size_t>(nIndex)]; }
    void SetAt(int nIndex, ARG_TYPE value) { m_data[static_cast<std::size_t>(nIndex)] = value; }
    TYPE& ElementAt(int nIndex) { return m_data[static_cast<std::size_t>(nIndex)]; }
    const TYPE& ElementAt(int nIndex) const { return m_data[static_cast<std::size_t>(nIndex)]; }
    TYPE& operator[](int nIndex) { return ElementAt(nIndex); }
    const TYPE& operator[](int nIndex) const { return ElementAt(nIndex); }

    // Appends and returns the new element's index.
    int Add(const TYPE& value) {
        m_data.push_back(value);
        return GetSize() - 1;
    }
    int Add(TYPE&& value) {
        m_data.push_back(std::move(value));
        return GetSize() - 1;
    }
    // Moves the elements of other to the end, in their order, and leaves other empty.
    void Append(CArray&& other) {
        m_data.insert(m_data.end(), std::make_move_iterator(other.m_data.begin()),
                      std::make_move_iterator(other.m_data.end()));
        other.m_data.clear();
    }
    void InsertAt(int nIndex, ARG_TYPE value) { m_data.insert(m_data.begin() + nIndex, value); }
    // Destroys nCount elements from nIndex on; the later ones move down.
    void RemoveAt(int nIndex, int nCount = 1) {
        m_data.erase(m_data.begin() + nIndex, m_data.begin() + nIndex + nCount);
    }

    TYPE* GetData() { return m_data.data(); }
    const TYPE* GetData() const { return m_data.data(); }

private:
    std::vector<TYPE> m_data;
};

// An array of 32-bit unsigned values (the Windows DWORD).
class CDWordArray : public CArray<uint32_t, uint32_t> {};
