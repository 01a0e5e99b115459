// CBriselListCtrl: the device list of the Discover and Progress pages, a
// report-view list view with
// - its own row storage (CItemData cells) that serves an owner-data list
//   (LVS_OWNERDATA), with row and cell colours, bold rows and a tip text
//   per row;
// - a hidden last column "ID" that numbers the rows in insertion order;
// - typed sorting by one or more columns (header clicks, Shift-click for
//   the next key) with the header CBriselHeaderCtrl;
// - its column layout kept in the registry, and the column dialogs of its
//   header's context menu.
//
// The page subclasses the dialog's list control with it (DDX_Control),
// calls RestoreSettings, then InsertColumn and SetColumnSortType for each
// of its columns in order, and fills the rows with InsertItem, SetItemText,
// SetItemData and SetRowColors.
//
// Threads: the item operations (InsertItem, DeleteItem, SetItem, GetItem,
// Set/GetItemText, Set/GetItemData, the row colours, bold and tip texts)
// may be called from any thread. Without owner data they send one message
// to the control, which the window's thread handles. With owner data the
// rows are guarded by m_csRows, which is never held while a message is
// sent. Columns, sorting, the layout and the dialogs are for the window's
// thread.
#pragma once

#include "controls/listctrl/brisel_header_ctrl.h"
#include "controls/listctrl/brisel_sort_types.h"
#include "controls/tooltip/rich_tool_tip.h"
#include "platform/afx/afx.h"
#include "platform/base/array.h"
#include "platform/registry/registry.h"
#include "platform/threading/afx_sync.h"

// Sent to the parent for every WM_KEYDOWN when the list was made with
// key notification: wParam the virtual key, lParam 0.
extern UINT MSG_BRISELLISTCTRL_KEYDOWN;

// One cell of the own storage. The first cell of a row also carries the
// row's colours, bold flag and tip text.
class CItemData
{
public:
    // Longest text a cell keeps, in bytes (a longer one is cut).
    enum { ITEM_TEXT_MAX = 255 };

    CItemData();

    // The stored item: mask, state, image, lParam, indent; cchTextMax holds
    // the stored text's length (pszText is not used: the text is below).
    LVITEMA m_item;
    char m_szText[ITEM_TEXT_MAX + 1];
    COLORREF m_crBackground = 0xFFFFFF;
    COLORREF m_crText = 0;
    // The colours in force before the cell's own were applied.
    COLORREF m_crSavedBackground = 0;
    COLORREF m_crSavedText = 0;
    int m_bRowColors = 0;
    int m_bCellColors = 0;
    int m_bBold = 0;
    CString m_strTip;
};

class CBriselListCtrl : public CListCtrl
{
    DECLARE_DYNAMIC(CBriselListCtrl)

public:
    // nNameId: the list's name in the registry key (its decimal text);
    // nBrand: 0 "BRISEL", 1 "Vory", 2 "Ost"; bKeyNotify: send
    // MSG_BRISELLISTCTRL_KEYDOWN to the parent.
    explicit CBriselListCtrl(int nNameId = -1, int nBrand = 0, BOOL bKeyNotify = FALSE);
    ~CBriselListCtrl() override;

    // Columns. The caller's column goes in at nCol (callers append: 0, 1,
    // 2, ...), the hidden "ID" column stays last; a stored layout is
    // applied to both. Returns the new column's index or -1.
    int InsertColumn(int nCol, const LVCOLUMN* pColumn);
    int InsertColumn(int nCol, LPCSTR lpszColumnHeading, int nFormat = LVCFMT_LEFT, int nWidth = -1,
                     int nSubItem = -1);
    void SetColumnSortType(int nColumn, _eTipoOrdenacion eType);
    // Before the first InsertColumn: a stored layout for another number of
    // columns than *pnColumns (the page's own, "ID" not counted), or one
    // that does not read back sound, is deleted.
    void RestoreSettings(int* pnColumns);
    // Index of the "ID" column, -1 before the first column.
    int GetSerialColumn() const { return m_nSerialColumn; }
    CBriselHeaderCtrl& GetHeader() { return m_header; }

    // Items. Indexes are those of the list view; an index outside the own
    // storage (negative ones included) is ignored as the list view would
    // ignore it, with TRUE from SetItem and GetItem.
    int InsertItem(const LVITEM* pItem);
    int InsertItem(int nItem, LPCSTR lpszItem);
    int InsertItem(int nItem, LPCSTR lpszItem, int nImage);
    int InsertItem(UINT nMask, int nItem, LPCSTR lpszItem, UINT nState, UINT nStateMask, int nImage, LPARAM lParam);
    BOOL DeleteItem(int nItem);
    BOOL DeleteAllItems();
    BOOL SetItem(const LVITEM* pItem);
    BOOL SetItem(int nItem, int nSubItem, UINT nMask, LPCSTR lpszItem, int nImage, UINT nState, UINT nStateMask,
                 LPARAM lParam);
    BOOL GetItem(LVITEM* pItem) const;
    BOOL SetItemText(int nItem, int nSubItem, LPCSTR lpszText);
    CString GetItemText(int nItem, int nSubItem) const;
    // Copies at most nLen - 1 characters; returns the length copied.
    int GetItemText(int nItem, int nSubItem, LPSTR lpszText, int nLen) const;
    BOOL SetItemData(int nItem, DWORD_PTR dwData);
    DWORD_PTR GetItemData(int nItem) const;

    // Row and cell looks (owner-data lists: they live in the own storage).
    // None of them redraws; the caller does.
    void SetRowColors(int nItem, COLORREF crText, COLORREF crBackground);
    void SetCellColors(int nItem, int nSubItem, COLORREF crText, COLORREF crBackground);
    void SetRowBold(int nItem, BOOL bBold);
    void SetRowTipText(int nItem, LPCSTR lpszTip);
    CString GetRowTipText(int nItem) const;

    // Sorting. Sorts by the key chain, first making nColumn the only key
    // (bResetKeys) and reversing its direction (bToggleDirection). 1 when
    // it sorted; 0, with the keys and directions left as they were, for a
    // negative column, a column of kind 0, a list of fewer than two items
    // or no header.
    int SortByColumn(int nColumn, BOOL bResetKeys, BOOL bToggleDirection);
    // -1, 0 or 1 (negated for descending) for two cell texts of a kind.
    static int CompareItems(LPCSTR lpszA, LPCSTR lpszB, int nType, int nDirection, int bCaseInsensitive);

    // Column layout in the registry.
    void SaveSettings(LPCSTR lpszListName);
    void LoadSettings(LPCSTR lpszListName, int nColumn);
    int LoadColumnCount(LPCSTR lpszListName);
    int ResetLayout();
    CString GetRegistryKeyPath(LPCSTR lpszBrand, LPCSTR lpszParentText, LPCSTR lpszListName, LPCSTR lpszExtra);
    static CString GetBrandName(int nBrand);

    BOOL PreTranslateMessage(MSG* pMsg) override;
    CRichToolTip& GetTip() { return m_tip; }
    // The tip text for a point of the client area: the row's tip text, else
    // the escaped text of a cell that does not fit, else empty.
    CString TipTextAt(POINT ptClient) const;

protected:
    void PreSubclassWindow() override;
    void CreateTip();
    afx_msg void OnToolTipDisplay(NMHDR* pNMHDR, LRESULT* pResult);
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
    afx_msg void OnDestroy();
    afx_msg void OnColumnClick(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnCustomDraw(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnGetDispInfo(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnChooseColumns();
    afx_msg void OnOrderBy();
    afx_msg void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    afx_msg void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    afx_msg void OnSize(UINT nType, int cx, int cy);

    BOOL IsOwnerData() const;
    int HeaderItemCount() const;
    // The row of the own storage, or null; the caller holds m_csRows.
    CArray<CItemData>* RowAt(int nItem) const;
    CItemData* CellAt(int nItem, int nSubItem) const;
    // Writes the item into the own storage (SetItem's rules).
    void StoreItem(CItemData& cell, const LVITEMA& item);
    void FreeRows();
    // Writes the serial texts of all rows anew, 0, 1, 2, ... in row order.
    void RenumberRows();
    void ShowHeaderMenu();
    // Custom draw stages of owner-data lists.
    LRESULT OnItemPrePaint(NMLVCUSTOMDRAW* pDraw);
    LRESULT OnItemPostPaint(NMLVCUSTOMDRAW* pDraw);
    LRESULT OnSubItemPaint(NMLVCUSTOMDRAW* pDraw, BOOL bBefore);
    // Sorting of the own rows and of the control's items.
    void SortOwnRows(const std::vector<int>& keys);
    void SortControlItems(const std::vector<int>& keys);
    void ResortAfterChange();
    // The stored layout read back and checked (brisel_list_layout.cpp).
    BOOL IsStoredLayoutSound(HKEY hKey, CString& strWhy);
    // The text of the parent, which names the layout's key; empty without one.
    CString GetParentText() const;
    // The layout's "Columnas" key, else the list's key, under the parent's
    // text; null when neither opens.
    HKEY OpenLayoutKey(LPCSTR lpszListName, REGSAM access);

    int m_bPersist = 1;
    CBriselHeaderCtrl m_header;
    int m_bCaseInsensitive = 1;
    CString m_strListName;
    int m_nBrand = 0;
    // When not empty, the whole registry key of the layout.
    CString m_strExplicitKeyPath;
    int m_bMenu = 1;
    // Own row storage: one heap row per list item; guarded by m_csRows,
    // as are the row count, the column count and the serial counter.
    mutable CCriticalSection m_csRows;
    CArray<CArray<CItemData>*> m_rows;
    int m_nRowCount = 0;
    int m_nColumnCount = 0;
    int m_nSerial = 0;
    int m_nSerialColumn = -1;
    int m_bResort = 1;
    int m_bInserting = 0;
    int m_bInsertDeleteSeen = 0;
    // A stored layout that was refused has been reported on stderr.
    int m_bLayoutReported = 0;
    CFont m_fontBold;
    HFONT m_hSavedFont = nullptr;
    int m_bKeyNotify = 0;
    // Shows the whole text of cells that do not fit; the list is its
    // parent, its only tool and its notify window.
    CRichToolTip m_tip;

    DECLARE_MESSAGE_MAP()
};
