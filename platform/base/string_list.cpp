#include "platform/base/string_list.h"

#include "platform/base/exceptions.h"

IMPLEMENT_DYNAMIC(CStringList, CObject)

struct CStringList::Node {
    Node* pNext;
    Node* pPrev;
    CString data;
};

CStringList::CStringList(INT_PTR nBlockSize)
{
    (void)nBlockSize;
}

CStringList::~CStringList()
{
    RemoveAll();
}

CStringList::Node* CStringList::NodeOf(POSITION position)
{
    if (!position || position == BEFORE_START_POSITION)
        AfxThrowInvalidArgException();
    return reinterpret_cast<Node*>(position);
}

CStringList::Node* CStringList::NewNode(LPCTSTR value, Node* prev, Node* next)
{
    Node* node = new Node{next, prev, CString(value)};
    ++m_nCount;
    return node;
}

CString& CStringList::GetHead()
{
    if (!m_pNodeHead)
        AfxThrowInvalidArgException();
    return m_pNodeHead->data;
}

const CString& CStringList::GetHead() const
{
    return const_cast<CStringList*>(this)->GetHead();
}

CString& CStringList::GetTail()
{
    if (!m_pNodeTail)
        AfxThrowInvalidArgException();
    return m_pNodeTail->data;
}

const CString& CStringList::GetTail() const
{
    return const_cast<CStringList*>(this)->GetTail();
}

CString CStringList::RemoveHead()
{
    CString value = GetHead();
    RemoveAt(reinterpret_cast<POSITION>(m_pNodeHead));
    return value;
}

CString CStringList::RemoveTail()
{
    CString value = GetTail();
    RemoveAt(reinterpret_cast<POSITION>(m_pNodeTail));
    return value;
}

POSITION CStringList::AddHead(LPCTSTR newElement)
{
    Node* node = NewNode(newElement, nullptr, m_pNodeHead);
    if (m_pNodeHead)
        m_pNodeHead->pPrev = node;
    else
        m_pNodeTail = node;
    m_pNodeHead = node;
    return reinterpret_cast<POSITION>(node);
}

POSITION CStringList::AddTail(LPCTSTR newElement)
{
    Node* node = NewNode(newElement, m_pNodeTail, nullptr);
    if (m_pNodeTail)
        m_pNodeTail->pNext = node;
    else
        m_pNodeHead = node;
    m_pNodeTail = node;
    return reinterpret_cast<POSITION>(node);
}

void CStringList::AddHead(const CStringList* pNewList)
{
    if (!pNewList)
        AfxThrowInvalidArgException();
    // Walking backwards keeps the order; counting makes adding a list to
    // itself stop at its old head.
    INT_PTR count = pNewList->m_nCount;
    Node* n = pNewList->m_pNodeTail;
    for (INT_PTR i = 0; i < count; ++i) {
        Node* prev = n->pPrev;
        AddHead(n->data);
        n = prev;
    }
}

void CStringList::AddTail(const CStringList* pNewList)
{
    if (!pNewList)
        AfxThrowInvalidArgException();
    INT_PTR count = pNewList->m_nCount;
    Node* n = pNewList->m_pNodeHead;
    for (INT_PTR i = 0; i < count; ++i, n = n->pNext)
        AddTail(n->data);
}

void CStringList::RemoveAll()
{
    while (Node* n = m_pNodeHead) {
        m_pNodeHead = n->pNext;
        delete n;
    }
    m_pNodeTail = nullptr;
    m_nCount = 0;
}

POSITION CStringList::GetHeadPosition() const
{
    return reinterpret_cast<POSITION>(m_pNodeHead);
}

POSITION CStringList::GetTailPosition() const
{
    return reinterpret_cast<POSITION>(m_pNodeTail);
}

CString& CStringList::GetNext(POSITION& rPosition)
{
    Node* n = NodeOf(rPosition);
    rPosition = reinterpret_cast<POSITION>(n->pNext);
    return n->data;
}

const CString& CStringList::GetNext(POSITION& rPosition) const
{
    return const_cast<CStringList*>(this)->GetNext(rPosition);
}

CString& CStringList::GetPrev(POSITION& rPosition)
{
    Node* n = NodeOf(rPosition);
    rPosition = reinterpret_cast<POSITION>(n->pPrev);
    return n->data;
}

const CString& CStringList::GetPrev(POSITION& rPosition) const
{
    return const_cast<CStringList*>(this)->GetPrev(rPosition);
}

CString& CStringList::GetAt(POSITION position)
{
    return NodeOf(position)->data;
}

const CString& CStringList::GetAt(POSITION position) const
{
    return NodeOf(position)->data;
}

void CStringList::SetAt(POSITION pos, LPCTSTR newElement)
{
    NodeOf(pos)->data = newElement;
}

void CStringList::RemoveAt(POSITION position)
{
    Node* n = NodeOf(position);
    (n->pPrev ? n->pPrev->pNext : m_pNodeHead) = n->pNext;
    (n->pNext ? n->pNext->pPrev : m_pNodeTail) = n->pPrev;
    delete n;
    --m_nCount;
}

POSITION CStringList::InsertBefore(POSITION position, LPCTSTR newElement)
{
    if (!position)
        return AddHead(newElement);
    Node* old = NodeOf(position);
    Node* node = NewNode(newElement, old->pPrev, old);
    (old->pPrev ? old->pPrev->pNext : m_pNodeHead) = node;
    old->pPrev = node;
    return reinterpret_cast<POSITION>(node);
}

POSITION CStringList::InsertAfter(POSITION position, LPCTSTR newElement)
{
    if (!position)
        return AddTail(newElement);
    Node* old = NodeOf(position);
    Node* node = NewNode(newElement, old, old->pNext);
    (old->pNext ? old->pNext->pPrev : m_pNodeTail) = node;
    old->pNext = node;
    return reinterpret_cast<POSITION>(node);
}

POSITION CStringList::Find(LPCTSTR searchValue, POSITION startAfter) const
{
    Node* n = startAfter ? NodeOf(startAfter)->pNext : m_pNodeHead;
    for (; n; n = n->pNext) {
        if (n->data == (searchValue ? searchValue : ""))
            return reinterpret_cast<POSITION>(n);
    }
    return nullptr;
}

POSITION CStringList::FindIndex(INT_PTR nIndex) const
{
    if (nIndex < 0 || nIndex >= m_nCount)
        return nullptr;
    Node* n = m_pNodeHead;
    while (nIndex-- > 0)
        n = n->pNext;
    return reinterpret_cast<POSITION>(n);
}
