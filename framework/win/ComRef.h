// CComRef: an interface pointer that is released when it goes; filled through operator& by the
// function that hands it out.
#pragma once

template <typename T>
class CComRef {
public:
    CComRef() = default;
    ~CComRef() {
        if (m_p) {
            m_p->Release();
        }
    }
    CComRef(const CComRef&) = delete;
    CComRef& operator=(const CComRef&) = delete;
    T** operator&() { return &m_p; }
    T* operator->() const { return m_p; }
    T* Get() const { return m_p; }

private:
    T* m_p = nullptr;
};
