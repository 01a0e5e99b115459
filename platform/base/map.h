// CMap: the framework's hash map. Iteration goes through POSITION values
// (GetStartPosition / GetNextAssoc) in an unspecified order; removing the
// entry just returned does not disturb the iteration.
#pragma once

#include "platform/base/cstring.h"
#include "platform/base/exceptions.h"
#include "platform/base/object.h"

#include <cstring>
#include <functional>
#include <new>
#include <type_traits>
#include <vector>

// Hash of a key; specialise for key types of your own.
template <class ARG_KEY>
inline UINT HashKey(ARG_KEY key)
{
    using K = std::remove_cvref_t<ARG_KEY>;
    if constexpr (std::is_enum_v<K>)
        return static_cast<UINT>(std::hash<std::underlying_type_t<K>>{}(static_cast<std::underlying_type_t<K>>(key)));
    else
        return static_cast<UINT>(std::hash<K>{}(key));
}

template <>
inline UINT HashKey<LPCTSTR>(LPCTSTR key)
{
    UINT h = 0;
    while (key && *key)
        h = (h << 5) + h + static_cast<unsigned char>(*key++);
    return h;
}

template <>
inline UINT HashKey<const CString&>(const CString& key)
{
    return HashKey<LPCTSTR>(key);
}

template <>
inline UINT HashKey<CString>(CString key)
{
    return HashKey<LPCTSTR>(key);
}

template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE>
class CMap : public CObject {
public:
    explicit CMap(INT_PTR nBlockSize = 10) { (void)nBlockSize; }
    ~CMap() override { RemoveAll(); }

    INT_PTR GetCount() const { return m_nCount; }
    INT_PTR GetSize() const { return m_nCount; }
    BOOL IsEmpty() const { return m_nCount == 0; }

    BOOL Lookup(ARG_KEY key, VALUE& rValue) const
    {
        const Assoc* p = Find(key);
        if (!p)
            return FALSE;
        rValue = p->value;
        return TRUE;
    }
    // The value for key, inserted value-initialised when missing.
    VALUE& operator[](ARG_KEY key);
    void SetAt(ARG_KEY key, ARG_VALUE newValue) { (*this)[key] = newValue; }
    BOOL RemoveKey(ARG_KEY key);
    void RemoveAll();

    POSITION GetStartPosition() const { return reinterpret_cast<POSITION>(First(0)); }
    void GetNextAssoc(POSITION& rNextPosition, KEY& rKey, VALUE& rValue) const;

    UINT GetHashTableSize() const { return static_cast<UINT>(m_buckets.size()); }
    // Chooses the bucket count; existing entries are kept.
    void InitHashTable(UINT hashSize, BOOL bAllocNow = TRUE);

private:
    struct Assoc {
        Assoc* pNext;
        UINT nHash;
        KEY key;
        VALUE value;
    };

    Assoc* Find(ARG_KEY key) const
    {
        if (m_buckets.empty())
            return nullptr;
        UINT h = HashKey<ARG_KEY>(key);
        for (Assoc* p = m_buckets[h % m_buckets.size()]; p; p = p->pNext) {
            if (p->nHash == h && p->key == key)
                return p;
        }
        return nullptr;
    }
    Assoc* First(size_t bucket) const
    {
        for (; bucket < m_buckets.size(); ++bucket) {
            if (m_buckets[bucket])
                return m_buckets[bucket];
        }
        return nullptr;
    }
    void Rehash(size_t nBuckets);

    std::vector<Assoc*> m_buckets;
    INT_PTR m_nCount = 0;
    UINT m_nHashTableSize = 17;
};

template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE>
VALUE& CMap<KEY, ARG_KEY, VALUE, ARG_VALUE>::operator[](ARG_KEY key)
{
    if (Assoc* p = Find(key))
        return p->value;
    if (m_buckets.empty())
        Rehash(m_nHashTableSize);
    else if (static_cast<size_t>(m_nCount) >= 2 * m_buckets.size())
        Rehash(2 * m_buckets.size() + 1);
    UINT h = HashKey<ARG_KEY>(key);
    Assoc*& head = m_buckets[h % m_buckets.size()];
    Assoc* p = new Assoc{head, h, KEY(key), VALUE()};
    head = p;
    ++m_nCount;
    return p->value;
}

template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE>
BOOL CMap<KEY, ARG_KEY, VALUE, ARG_VALUE>::RemoveKey(ARG_KEY key)
{
    if (m_buckets.empty())
        return FALSE;
    UINT h = HashKey<ARG_KEY>(key);
    for (Assoc** pp = &m_buckets[h % m_buckets.size()]; *pp; pp = &(*pp)->pNext) {
        Assoc* p = *pp;
        if (p->nHash == h && p->key == key) {
            *pp = p->pNext;
            delete p;
            --m_nCount;
            return TRUE;
        }
    }
    return FALSE;
}

template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE>
void CMap<KEY, ARG_KEY, VALUE, ARG_VALUE>::RemoveAll()
{
    for (Assoc*& head : m_buckets) {
        while (Assoc* p = head) {
            head = p->pNext;
            delete p;
        }
    }
    m_buckets.clear();
    m_nCount = 0;
}

template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE>
void CMap<KEY, ARG_KEY, VALUE, ARG_VALUE>::GetNextAssoc(POSITION& rNextPosition, KEY& rKey, VALUE& rValue) const
{
    Assoc* p = reinterpret_cast<Assoc*>(rNextPosition);
    if (p == reinterpret_cast<Assoc*>(BEFORE_START_POSITION))
        p = First(0);
    if (!p)
        AfxThrowInvalidArgException();
    rKey = p->key;
    rValue = p->value;
    Assoc* next = p->pNext ? p->pNext : First(p->nHash % m_buckets.size() + 1);
    rNextPosition = reinterpret_cast<POSITION>(next);
}

template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE>
void CMap<KEY, ARG_KEY, VALUE, ARG_VALUE>::InitHashTable(UINT hashSize, BOOL bAllocNow)
{
    m_nHashTableSize = hashSize ? hashSize : 17;
    if (bAllocNow || !m_buckets.empty())
        Rehash(m_nHashTableSize);
}

template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE>
void CMap<KEY, ARG_KEY, VALUE, ARG_VALUE>::Rehash(size_t nBuckets)
{
    std::vector<Assoc*> buckets(nBuckets, nullptr);
    for (Assoc*& head : m_buckets) {
        while (Assoc* p = head) {
            head = p->pNext;
            Assoc*& dest = buckets[p->nHash % nBuckets];
            p->pNext = dest;
            dest = p;
        }
    }
    m_buckets.swap(buckets);
}
