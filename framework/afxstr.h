// String classes of the framework layer. Header-only: CStringList and
// CStringArray cross TAVORIN's exported interface, so a caller builds them
// from this same header.
#ifndef AFXSTR_H
#define AFXSTR_H

#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

class CException {
  public:
    virtual ~CException() = default;
};

class CInvalidArgException : public CException {};

[[noreturn]] inline void AfxThrowInvalidArgException() {
    throw CInvalidArgException();
}

class CString {
  public:
    CString() = default;
    CString(const char* psz) : m_str(psz ? psz : "") {}
    CString(const char* pch, int nLength) : m_str(pch, pch ? static_cast<size_t>(nLength) : 0) {}

    // Attributes
    int GetLength() const { return static_cast<int>(m_str.size()); }
    bool IsEmpty() const { return m_str.empty(); }
    operator const char*() const { return m_str.c_str(); }
    const char* GetString() const { return m_str.c_str(); }

    // Operations
    CString& operator=(const char* psz) {
        m_str = psz ? psz : "";
        return *this;
    }
    CString& operator+=(const char* psz) {
        m_str += psz ? psz : "";
        return *this;
    }
    CString& operator+=(char ch) {
        m_str += ch;
        return *this;
    }
    void Empty() { m_str.clear(); }
    bool operator==(const char* psz) const { return m_str == (psz ? psz : ""); }
    bool operator!=(const char* psz) const { return !(*this == psz); }

    void Format(const char* pszFormat, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 2, 3)))
#endif
    {
        va_list args;
        va_start(args, pszFormat);
        FormatV(pszFormat, args);
        va_end(args);
    }
    void FormatV(const char* pszFormat, va_list args) {
        va_list copy;
        va_copy(copy, args);
        const int n = std::vsnprintf(nullptr, 0, pszFormat, copy);
        va_end(copy);
        if (n < 0) {
            m_str.clear();
            return;
        }
        std::vector<char> buf(static_cast<size_t>(n) + 1);
        std::vsnprintf(buf.data(), buf.size(), pszFormat, args);
        m_str.assign(buf.data(), static_cast<size_t>(n));
    }

    // Loads string resource nID from the current module state's resource
    // source; defined by the library that owns the resources.
    bool LoadString(unsigned int nID);

  private:
    std::string m_str;
};

class CStringArray {
  public:
    // Attributes
    int GetSize() const { return static_cast<int>(m_data.size()); }
    int GetCount() const { return GetSize(); }
    bool IsEmpty() const { return m_data.empty(); }

    // nGrowBy is accepted for the framework's signature; std::vector grows itself.
    void SetSize(int nNewSize, int nGrowBy = -1) {
        (void)nGrowBy;
        if (nNewSize < 0)
            AfxThrowInvalidArgException();
        m_data.resize(static_cast<size_t>(nNewSize));
    }

    // Element access tests the index and throws CInvalidArgException outside it.
    const CString& GetAt(int nIndex) const { return m_data[Checked(nIndex)]; }
    CString& ElementAt(int nIndex) { return m_data[Checked(nIndex)]; }
    const CString& operator[](int nIndex) const { return GetAt(nIndex); }
    CString& operator[](int nIndex) { return ElementAt(nIndex); }

    // Operations
    void SetAt(int nIndex, const char* psz) { ElementAt(nIndex) = psz; }
    int Add(const char* psz) {
        m_data.emplace_back(psz);
        return GetSize() - 1;
    }
    void RemoveAll() { m_data.clear(); }

  private:
    size_t Checked(int nIndex) const {
        if (nIndex < 0 || nIndex >= GetSize())
            AfxThrowInvalidArgException();
        return static_cast<size_t>(nIndex);
    }
    std::vector<CString> m_data;
};

struct __POSITION {};
typedef __POSITION* POSITION;

// Doubly linked, walked from head to tail through an opaque POSITION, as the
// framework's list does.
class CStringList {
  public:
    CStringList() = default;
    CStringList(const CStringList&) = delete;
    CStringList& operator=(const CStringList&) = delete;
    ~CStringList() { RemoveAll(); }

    // Attributes
    int GetCount() const { return m_nCount; }
    bool IsEmpty() const { return m_nCount == 0; }
    POSITION GetHeadPosition() const { return reinterpret_cast<POSITION>(m_pHead); }
    POSITION GetTailPosition() const { return reinterpret_cast<POSITION>(m_pTail); }

    // Returns the element at rPosition and moves rPosition to the next one.
    CString& GetNext(POSITION& rPosition) {
        CNode* node = reinterpret_cast<CNode*>(rPosition);
        rPosition = reinterpret_cast<POSITION>(node->pNext);
        return node->data;
    }
    const CString& GetNext(POSITION& rPosition) const {
        const CNode* node = reinterpret_cast<const CNode*>(rPosition);
        rPosition = reinterpret_cast<POSITION>(node->pNext);
        return node->data;
    }

    // Operations
    POSITION AddTail(const char* psz) { return InsertBetween(m_pTail, nullptr, psz); }
    POSITION AddHead(const char* psz) { return InsertBetween(nullptr, m_pHead, psz); }
    void RemoveAll() {
        while (m_pHead) {
            CNode* next = m_pHead->pNext;
            delete m_pHead;
            m_pHead = next;
        }
        m_pTail = nullptr;
        m_nCount = 0;
    }

  private:
    struct CNode {
        CNode* pNext;
        CNode* pPrev;
        CString data;
    };
    // Links a new node between pPrev and pNext; a null one is the list's end.
    POSITION InsertBetween(CNode* pPrev, CNode* pNext, const char* psz) {
        CNode* node = new CNode{pNext, pPrev, CString(psz)};
        (pPrev ? pPrev->pNext : m_pHead) = node;
        (pNext ? pNext->pPrev : m_pTail) = node;
        ++m_nCount;
        return reinterpret_cast<POSITION>(node);
    }
    CNode* m_pHead = nullptr;
    CNode* m_pTail = nullptr;
    int m_nCount = 0;
};

#endif
