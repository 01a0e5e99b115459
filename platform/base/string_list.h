// CStringList: the framework's doubly linked list of strings, walked with
// POSITION values. A POSITION stays valid until its own element is removed.
#pragma once

#include "platform/base/cstring.h"
#include "platform/base/object.h"

class CStringList : public CObject {
    DECLARE_DYNAMIC(CStringList)
public:
    explicit CStringList(INT_PTR nBlockSize = 10);
    ~CStringList() override;

    INT_PTR GetCount() const { return m_nCount; }
    INT_PTR GetSize() const { return m_nCount; }
    BOOL IsEmpty() const { return m_nCount == 0; }

    // Head and tail access on an empty list raise CInvalidArgException*.
    CString& GetHead();
    const CString& GetHead() const;
    CString& GetTail();
    const CString& GetTail() const;
    CString RemoveHead();
    CString RemoveTail();

    POSITION AddHead(LPCTSTR newElement);
    POSITION AddTail(LPCTSTR newElement);
    void AddHead(const CStringList* pNewList);
    void AddTail(const CStringList* pNewList);
    void RemoveAll();

    POSITION GetHeadPosition() const;
    POSITION GetTailPosition() const;
    // Return the element at rPosition and move it to the next (previous)
    // one, NULL after the last.
    CString& GetNext(POSITION& rPosition);
    const CString& GetNext(POSITION& rPosition) const;
    CString& GetPrev(POSITION& rPosition);
    const CString& GetPrev(POSITION& rPosition) const;

    CString& GetAt(POSITION position);
    const CString& GetAt(POSITION position) const;
    void SetAt(POSITION pos, LPCTSTR newElement);
    void RemoveAt(POSITION position);
    POSITION InsertBefore(POSITION position, LPCTSTR newElement);
    POSITION InsertAfter(POSITION position, LPCTSTR newElement);

    // Exact, case-sensitive match; the search starts after startAfter.
    POSITION Find(LPCTSTR searchValue, POSITION startAfter = nullptr) const;
    POSITION FindIndex(INT_PTR nIndex) const;

private:
    struct Node;
    static Node* NodeOf(POSITION position);
    Node* NewNode(LPCTSTR value, Node* prev, Node* next);

    Node* m_pNodeHead = nullptr;
    Node* m_pNodeTail = nullptr;
    INT_PTR m_nCount = 0;
};
