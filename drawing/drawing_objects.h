// CDrawingObjects: the children of a drawing map, in drawing order (the
// first is drawn first, the last is drawn on top and hit first). Every
// operation holds the collection's lock. When the collection owns its
// children it deletes them when they are all removed, which its destructor
// does; RemoveAt never deletes.
//
// Unlike the plain collection, indexes out of range are not errors here:
// Add clamps them, RemoveAt ignores them and GetChild answers null.
#pragma once

#include "common/base/collection.h"
#include "drawing/drawing_object.h"

class CDrawingObjects : public CCollection<CDrawingObject*>
{
public:
    explicit CDrawingObjects(BOOL bOwnsChildren);
    ~CDrawingObjects() override;

    // Index -1 (or past the end) appends; any other index inserts there.
    // Returns the child's index.
    int Add(CDrawingObject* pChild, int nIndex = -1) override;
    void RemoveAt(int nIndex) override;
    // The child at the index, or null.
    CDrawingObject* GetChild(int nIndex);
    // The last child, counting down from the end, that HitTest(x, y, FALSE)
    // hits; null when none does.
    CDrawingObject* ChildFromPoint(int x, int y);
    // The first child with the id, or null.
    CDrawingObject* GetChildById(int nId);
    // The index of the first child with the id, or -1.
    int IndexOfId(int nId);
    // Empties the collection, deleting the children when it owns them.
    void RemoveAllChildren();

    BOOL m_bOwnsChildren;
};
