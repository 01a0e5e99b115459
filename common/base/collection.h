// CCollection<T>: a dynamic array that several threads share. Every
// operation holds the collection's critical section for its whole duration;
// the section is recursive, so a derived class may hold it across several
// operations. Bad indexes raise the framework's invalid-argument error
// (CInvalidArgException*).
#pragma once

#include "platform/base/array.h"
#include "platform/base/exceptions.h"
#include "platform/threading/afx_single_lock.h"
#include "platform/threading/afx_sync.h"

template <class T>
class CCollection {
public:
    CCollection() {}
    virtual ~CCollection() {}
    CCollection(const CCollection&) = delete;
    CCollection& operator=(const CCollection&) = delete;

    // Index -1 appends. An index at or past the end grows the array to reach
    // it (the slots between hold default values); an index inside it moves
    // the elements from there on up by one. Returns the item's index.
    virtual int Add(T item, int nIndex = -1) {
        CSingleLock lock(&m_lock, TRUE);
        if (nIndex == -1) {
            return static_cast<int>(m_items.Add(item));
        }
        if (nIndex < 0) {
            AfxThrowInvalidArgException();
        }
        m_items.InsertAt(nIndex, item);
        return nIndex;
    }

    // The elements behind the index move down by one.
    virtual void RemoveAt(int nIndex) {
        CSingleLock lock(&m_lock, TRUE);
        if (nIndex < 0 || nIndex >= m_items.GetSize()) {
            AfxThrowInvalidArgException();
        }
        m_items.RemoveAt(nIndex);
    }

    // The index of the first element equal to the value, or -1.
    int Find(const T& value) {
        CSingleLock lock(&m_lock, TRUE);
        for (INT_PTR i = 0; i < m_items.GetSize(); ++i) {
            if (m_items[i] == value) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }

    int GetSize() {
        CSingleLock lock(&m_lock, TRUE);
        return static_cast<int>(m_items.GetSize());
    }

    // A copy of the element at the index.
    T GetAt(int nIndex) {
        CSingleLock lock(&m_lock, TRUE);
        return m_items.GetAt(nIndex);
    }

protected:
    CArray<T> m_items;
    CCriticalSection m_lock;
};
