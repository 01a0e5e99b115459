// The two dialogs of the device list's header menu, made on the stack by
// the list's command handlers:
// - CBriselColumnsDlg (112, "Choose colums"): which columns are shown and
//   in which order;
// - CBriselColumnsOrderDlg (117, "Order by"): which columns are sort keys
//   and in which order.
// Both move entries between the available list (106, kept alphabetical)
// and the chosen list (115, in its order) by double click or the Add and
// Remove buttons, and move the chosen entry up and down with the up-down
// (108). Each entry's item data is its column index. Only Ok changes the
// list. Their texts pass through the translator as they open.
#pragma once

#include "common/language/lang_dialog.h"
#include "controls/listctrl/brisel_list_ctrl.h"
#include "platform/afx/afx.h"

// What the column dialogs share: their lists, their moves and the up-down.
class CBriselColumnsDlgBase : public CLangDialog
{
public:
    CBriselColumnsDlgBase(UINT nIDTemplate, CBriselListCtrl* pList);
    ~CBriselColumnsDlgBase() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;

    afx_msg void OnAddColumn();
    afx_msg void OnRemoveColumn();
    afx_msg void OnSpinDelta(NMHDR* pNMHDR, LRESULT* pResult);

    // Moves the selected entry of one list, text and data, to the end of
    // the other (which sorts itself when it is the available list), and
    // selects the first entry of the list it left.
    static void MoveSelected(CListBox& from, CListBox& to);
    // Adds the column's header text with the column index as its data.
    void AddColumnEntry(CListBox& list, int nColumn);

    CListBox m_listSelected;
    CListBox m_listAvailable;
    CBriselListCtrl* m_pList;

    DECLARE_MESSAGE_MAP()
};

class CBriselColumnsDlg : public CBriselColumnsDlgBase
{
public:
    explicit CBriselColumnsDlg(CBriselListCtrl* pList);
    ~CBriselColumnsDlg() override;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    // Hidden columns to the left, shown ones to the right, in display order.
    void FillColumnLists();
};

class CBriselColumnsOrderDlg : public CBriselColumnsDlgBase
{
public:
    explicit CBriselColumnsOrderDlg(CBriselListCtrl* pList);
    ~CBriselColumnsOrderDlg() override;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    // The keys in chain order to the right; the other sortable columns left.
    void FillOrderLists();
};
