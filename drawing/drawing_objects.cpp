#include "drawing/drawing_objects.h"

#include <vector>

CDrawingObjects::CDrawingObjects(BOOL bOwnsChildren) : m_bOwnsChildren(bOwnsChildren)
{
}

CDrawingObjects::~CDrawingObjects()
{
    RemoveAllChildren();
}

int CDrawingObjects::Add(CDrawingObject* pChild, int nIndex)
{
    CSingleLock lock(&m_lock, TRUE);
    // An index past the end would leave empty slots among the children.
    if (nIndex < 0 || nIndex >= static_cast<int>(m_items.GetSize()))
    {
        return static_cast<int>(m_items.Add(pChild));
    }
    m_items.InsertAt(nIndex, pChild);
    return nIndex;
}

void CDrawingObjects::RemoveAt(int nIndex)
{
    CSingleLock lock(&m_lock, TRUE);
    if (nIndex >= 0 && nIndex < static_cast<int>(m_items.GetSize()))
    {
        m_items.RemoveAt(nIndex);
    }
}

CDrawingObject* CDrawingObjects::GetChild(int nIndex)
{
    CSingleLock lock(&m_lock, TRUE);
    if (nIndex < 0 || nIndex >= static_cast<int>(m_items.GetSize()))
    {
        return nullptr;
    }
    return m_items[nIndex];
}

CDrawingObject* CDrawingObjects::ChildFromPoint(int x, int y)
{
    CSingleLock lock(&m_lock, TRUE);
    for (INT_PTR i = m_items.GetSize() - 1; i >= 0; --i)
    {
        if (m_items[i]->HitTest(x, y, FALSE))
        {
            return m_items[i];
        }
    }
    return nullptr;
}

CDrawingObject* CDrawingObjects::GetChildById(int nId)
{
    CSingleLock lock(&m_lock, TRUE);
    return GetChild(IndexOfId(nId));
}

int CDrawingObjects::IndexOfId(int nId)
{
    CSingleLock lock(&m_lock, TRUE);
    for (INT_PTR i = 0; i < m_items.GetSize(); ++i)
    {
        if (m_items[i]->m_nId == nId)
        {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void CDrawingObjects::RemoveAllChildren()
{
    std::vector<CDrawingObject*> removed;
    {
        CSingleLock lock(&m_lock, TRUE);
        for (INT_PTR i = 0; i < m_items.GetSize(); ++i)
        {
            removed.push_back(m_items[i]);
        }
        m_items.RemoveAll();
    }
    // Deleted once they are out of the collection, so that a child's
    // destructor never finds itself or a deleted sibling among the children.
    if (m_bOwnsChildren)
    {
        for (CDrawingObject* pChild : removed)
        {
            delete pChild;
        }
    }
}
