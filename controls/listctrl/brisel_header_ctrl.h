// CBriselHeaderCtrl: the header of a device list. It keeps the per-column
// sort state (kind, direction, place in the chain of sort keys), the
// visible flags and the inserted widths, draws an arrow on every sort key,
// keeps hidden columns (width 0) from being sized or dragged, and after a
// drag moves the hidden columns to the front of the display order.
//
// The list (CBriselListCtrl) fills the arrays column by column as it
// inserts its columns; the column dialogs and the stored layout change
// them. Every accessor takes any index: outside the arrays a read gives
// the neutral value (kind 0, direction 0, priority -1, shown, width 0) and
// a write is ignored, except SetColumnState and SetInsertedWidthGrow, which
// grow the arrays.
// UI thread only.
#pragma once

#include "controls/listctrl/brisel_sort_types.h"
#include "platform/afx/afx.h"
#include "platform/base/array.h"

#include <vector>

// Registered at start-up; no window of the program sends or handles it (the
// end of a drag is WM_USER posted to the header itself).
extern UINT BriselHeaderCtrl_MSG_END_DRAG;

class CBriselHeaderCtrl : public CHeaderCtrl
{
    DECLARE_DYNAMIC(CBriselHeaderCtrl)

public:
    CBriselHeaderCtrl();
    ~CBriselHeaderCtrl() override;

    // Sort kind of a column (TIPO_ORDENACION_NINGUNA outside the array).
    _eTipoOrdenacion GetSortType(int nColumn) const;
    // Only inside the array.
    void SetSortType(int nColumn, _eTipoOrdenacion eType);
    _eOrdenEnumeracion GetDirection(int nColumn) const;
    void SetDirection(int nColumn, _eOrdenEnumeracion eDirection);
    // -1: not a key; 0: the first key; 1, 2, ...: the next ones.
    int GetPriority(int nColumn) const;
    void SetPriority(int nColumn, int nPriority);
    BOOL IsColumnVisible(int nColumn) const;
    void SetColumnVisible(int nColumn, BOOL bVisible);
    int GetInsertedWidth(int nColumn) const;
    // The column's heading (at most 255 characters); "" for no column.
    CString GetColumnText(int nColumn) const;

    // The state a column gets when it is inserted; grows the arrays.
    void SetColumnState(int nColumn, _eOrdenEnumeracion eDirection, _eTipoOrdenacion eType, BOOL bVisible,
                        int nPriority);
    void SetInsertedWidthGrow(int nColumn, int nWidth);
    // Opens a gap at nColumn (a column inserted before others) or closes it.
    void InsertColumnState(int nColumn);
    void RemoveColumnState(int nColumn);
    // Number of entries of the arrays (the columns the list has told about).
    int GetStateCount() const;

    // The column whose priority is 0, or -1.
    int FirstSortKey() const;
    // The column whose priority is one more than nColumn's, or -1.
    int NextSortKey(int nColumn) const;
    // The columns of the key chain, first key first.
    std::vector<int> GetSortKeys() const;
    // Every priority -1, then nColumn the only key (nColumn -1: no key).
    void ResetSortKeys(int nColumn);

    // Hidden columns first, each part in its current display order.
    void MoveHiddenColumnsFirst();

    BOOL IsTracking() const { return m_bTracking; }
    void SetTracking(BOOL bTracking) { m_bTracking = bTracking; }
    int GetMinimumWidth() const { return m_nMinWidth; }

    // Draws the arrow of a sort key in the 20-pixel rectangle given.
    static void DrawSortArrow(CDC* pDC, const CRect& rcArrow, _eOrdenEnumeracion eDirection);

protected:
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;

    afx_msg void OnPaint();
    afx_msg BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    afx_msg LRESULT OnEndDragReorder(WPARAM wParam, LPARAM lParam);

    // TRUE: the notification asks to refuse the action on nItem.
    BOOL RefuseHidden(int nItem);
    // The last column in display order that is shown, or -1.
    int LastVisibleInOrder() const;

    CArray<_eTipoOrdenacion> m_aSortTypes;
    CArray<_eOrdenEnumeracion> m_aDirections;
    CArray<int> m_aPriorities;
    CArray<int> m_aVisible;
    CArray<int> m_aWidths;
    // Set while the user drags a divider and while the list's column
    // selection dialog is open; the list drops WM_SIZE meanwhile.
    BOOL m_bTracking = FALSE;
    // Narrowest width a visible column may be given outside a divider drag.
    int m_nMinWidth = 5;

    DECLARE_MESSAGE_MAP()
};
