// CSmartPtr<T>: a reference-counted owning pointer. Every copy shares one
// control block; the last reference to go deletes the object. The count is
// atomic, so different CSmartPtr instances that share an object may be
// copied and released on different threads at once; one instance itself is
// not to be assigned on one thread while another thread reads it.
#pragma once

#include <atomic>

#include "platform/base/win_types.h"

template <class T>
class CSmartPtr {
public:
    CSmartPtr() : m_pBlock(nullptr) {}

    // Takes ownership of a new object as its first reference.
    explicit CSmartPtr(T* pObject) : m_pBlock(pObject != nullptr ? new CBlock{pObject, {1}} : nullptr) {}

    CSmartPtr(const CSmartPtr& other) : m_pBlock(other.m_pBlock) {
        if (m_pBlock != nullptr) {
            m_pBlock->m_nRefs.fetch_add(1, std::memory_order_relaxed);
        }
    }

    CSmartPtr& operator=(const CSmartPtr& other) {
        if (this == &other) {
            return *this;
        }
        // Taken before releasing our own reference: the source may live in
        // the object that the release deletes.
        CBlock* block = other.m_pBlock;
        if (block != nullptr) {
            block->m_nRefs.fetch_add(1, std::memory_order_relaxed);
        }
        Release();
        m_pBlock = block;
        return *this;
    }

    ~CSmartPtr() { Release(); }

    // Drops this reference; the object goes with the last one.
    void Release() {
        CBlock* block = m_pBlock;
        m_pBlock = nullptr;
        if (block != nullptr && block->m_nRefs.fetch_sub(1, std::memory_order_acq_rel) == 1) {
            delete block->m_pObject;
            block->m_pObject = nullptr;
            delete block;
        }
    }

    T* GetPtr() const { return m_pBlock != nullptr ? m_pBlock->m_pObject : nullptr; }
    T* operator->() const { return GetPtr(); }
    T& operator*() const { return *GetPtr(); }
    BOOL IsNull() const { return GetPtr() == nullptr; }

    // Pointers are equal when they hold the same object.
    bool operator==(const CSmartPtr& other) const { return GetPtr() == other.GetPtr(); }

private:
    struct CBlock {
        T* m_pObject;
        std::atomic<LONG> m_nRefs;
    };

    CBlock* m_pBlock;
};
