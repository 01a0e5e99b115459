// CZipPtrList: a list of pointers that does not own what they point to.
#pragma once

#include <algorithm>
#include <list>

template <class TYPE>
class CZipPtrList
{
public:
    void AddTail(TYPE* pItem) { m_items.push_back(pItem); }
    // Removes the first entry equal to pItem; false when there is none.
    bool Remove(TYPE* pItem)
    {
        auto it = std::find(m_items.begin(), m_items.end(), pItem);
        if (it == m_items.end())
            return false;
        m_items.erase(it);
        return true;
    }
    // Hands every entry to the caller and empties the list.
    template <class Function>
    void RemoveAll(Function function)
    {
        while (!m_items.empty())
        {
            TYPE* pItem = m_items.front();
            m_items.pop_front();
            function(pItem);
        }
    }
    size_t GetCount() const { return m_items.size(); }
    bool IsEmpty() const { return m_items.empty(); }

private:
    std::list<TYPE*> m_items;
};
