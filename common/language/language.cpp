#include "common/language/language.h"

#include "platform/base/stdio_file.h"
#include "platform/base/user_folders.h"
#include "platform/commctrl/commctrl.h"

const CString LANG_FILE_EXTENSION = ".lang";
const CString LANG_KEY_CODEPAGE = "CODEPAGE=";
const CString LANG_KEY_LANGUAGE = "LANGUAGE=";
const CString LANG_KEY_SUBLANGUAGE = "SUBLANG=";
const CString LANG_KEY_REVISION = "REVISION=";

CLanguage g_Language;

namespace
{

// Tabs and line breaks are written as the two characters of their C escape,
// so that every entry of the log stays on one line.
CString EscapeLine(CString line)
{
    line.Replace("\t", "\\t");
    line.Replace("\n", "\\n");
    line.Replace("\r", "\\r");
    return line;
}

CString FormatLine(int kind, int id, const CString& text)
{
    CString line;
    switch (kind)
    {
    case CLanguage::TEXT_STRING:
        line.Format("#%04X# \"%s\"", static_cast<unsigned>(id), static_cast<LPCSTR>(text));
        break;
    case CLanguage::TEXT_MENU:
        line.Format("#M%04X# \"%s\"", static_cast<unsigned>(id), static_cast<LPCSTR>(text));
        break;
    case CLanguage::TEXT_DIALOG:
        line.Format("#D%08X# \"%s\"", static_cast<unsigned>(id), static_cast<LPCSTR>(text));
        break;
    default:
        break;
    }
    return EscapeLine(line);
}

// Field `index` of a '#'-separated text: what follows the index-th '#' (from
// 0) up to the next '#' or the end; the whole text when that field is
// shorter than two characters.
CString MenuField(const CString& text, int index)
{
    int start = -1;
    for (int i = 0; i <= index; ++i)
    {
        start = text.Find('#', start + 1);
        if (start < 0)
            return text;
    }
    int end = text.Find('#', start + 1);
    CString field = end < 0 ? text.Mid(start + 1) : text.Mid(start + 1, end - start - 1);
    return field.GetLength() < 2 ? text : field;
}

// Controls whose text is the user's data, not the program's: these keep
// their text whether or not the program made an object for them.
BOOL IsUserDataControl(CWnd* control)
{
    if (control->IsKindOf(RUNTIME_CLASS(CEdit)) || control->IsKindOf(RUNTIME_CLASS(CListCtrl)) ||
        control->IsKindOf(RUNTIME_CLASS(CDateTimeCtrl)) || control->IsKindOf(RUNTIME_CLASS(CSpinButtonCtrl)))
        return TRUE;
    char name[64] = {};
    ::GetClassNameA(control->m_hWnd, name, sizeof(name));
    const CString className(name);
    return className.CompareNoCase(WC_EDIT) == 0 || className.CompareNoCase(WC_LISTVIEW) == 0 ||
           className.CompareNoCase(UPDOWN_CLASS) == 0 || className.CompareNoCase("SysDateTimePick32") == 0;
}

BOOL IsComboBox(CWnd* control)
{
    if (control->IsKindOf(RUNTIME_CLASS(CComboBox)))
        return TRUE;
    char name[64] = {};
    ::GetClassNameA(control->m_hWnd, name, sizeof(name));
    return CString(name).CompareNoCase(WC_COMBOBOX) == 0;
}

// A combo box's items joined with "\n" between them.
CString ComboItems(CWnd* control)
{
    CString joined;
    const int count = static_cast<int>(control->SendMessage(CB_GETCOUNT));
    for (int i = 0; i < count; ++i)
    {
        const int length = static_cast<int>(control->SendMessage(CB_GETLBTEXTLEN, i));
        CString item;
        if (length > 0)
        {
            control->SendMessage(CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.GetBuffer(length + 1)));
            item.ReleaseBuffer();
        }
        if (i > 0)
            joined += "\n";
        joined += item;
    }
    return joined;
}

void FillCombo(CWnd* control, const CString& text)
{
    control->SendMessage(CB_RESETCONTENT);
    int start = 0;
    for (;;)
    {
        const int end = text.Find('\n', start);
        const CString piece = end < 0 ? text.Mid(start) : text.Mid(start, end - start);
        control->SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(static_cast<LPCSTR>(piece)));
        if (end < 0)
            break;
        start = end + 1;
    }
}

}  // namespace

CLanguage::CLanguage()
    : m_nCodePage(1252),
      m_nSubLanguage(1),
      m_nLanguage(9),
      m_strLanguageName("english"),
      m_nPopupKey(0)
{
}

CLanguage::~CLanguage() = default;

void CLanguage::Serialize(CArchive&)
{
}

CString CLanguage::Lookup(const CTextTable& table, int id)
{
    for (const auto& entry : table)
    {
        if (entry.first == id)
            return entry.second;
    }
    return CString();
}

CLanguage::CTextTable& CLanguage::TableOf(int kind)
{
    switch (kind)
    {
    case TEXT_MENU:
        return m_menuTable;
    case TEXT_DIALOG:
        return m_dialogTable;
    default:
        return m_stringTable;
    }
}

void CLanguage::AddText(int kind, int id, const CString& text)
{
    TableOf(kind).emplace_back(id, text);
}

CString CLanguage::GetString(int id)
{
    CString text = Lookup(m_stringTable, id);
    if (!text.IsEmpty())
        return text;
    text.LoadString(static_cast<UINT>(id));
    // Logged also without a resource text: the line tells the translator
    // that the id is asked for.
    LogMissing(TEXT_STRING, id, text);
    return text;
}

CString CLanguage::GetMissingLogPath() const
{
    CString base = m_strBaseDirectory;
    if (base.IsEmpty())
    {
        const CString data = GetUserDataFolder();
        if (data.IsEmpty())
            return CString();
        base = data + "/BriselTrelwin";
    }
    return base + "/Lang/missing.txt";
}

void CLanguage::LogMissing(int kind, int id, const CString& text)
{
    const CString line = FormatLine(kind, id, text);
    const CString path = GetMissingLogPath();
    if (path.IsEmpty())
        return;
    // The Lang folder is made on first use.
    CreateFolderPath(path.Left(path.ReverseFind('/')));
    CStdioFile log;
    if (!log.Open(path, CFile::modeCreate | CFile::modeNoTruncate | CFile::modeReadWrite))
        return;
    try
    {
        CString existing;
        while (log.ReadString(existing))
        {
            if (!existing.IsEmpty() && line.Find(existing) >= 0)
                return;
        }
        log.SeekToEnd();
        log.WriteString(line + "\n");
        log.Close();
    }
    catch (CFileException* e)
    {
        // A log that cannot be written loses the line; translation goes on.
        e->Delete();
    }
}

int CLanguage::TranslateDialog(CWnd* dialog, int dialogId)
{
    const int key = dialogId << 16;
    const CString caption = Lookup(m_dialogTable, key);
    if (!caption.IsEmpty())
    {
        dialog->SetWindowText(caption);
    }
    else
    {
        CString current;
        dialog->GetWindowText(current);
        LogMissing(TEXT_DIALOG, key, current);
    }
    const HWND first = ::GetWindow(dialog->m_hWnd, GW_CHILD);
    for (HWND child = first; child != nullptr;)
    {
        TranslateControl(CWnd::FromHandle(child), key);
        child = ::GetWindow(child, GW_HWNDNEXT);
        if (child == first)
            break;
    }
    return 1;
}

void CLanguage::TranslateControl(CWnd* control, int dialogKey)
{
    const int id = static_cast<short>(control->GetDlgCtrlID());
    if (id < 1 || IsUserDataControl(control))
        return;
    const CString text = id < 100 ? GetString(id) : Lookup(m_dialogTable, id | dialogKey);
    if (text.IsEmpty())
    {
        CString current;
        if (IsComboBox(control))
            current = ComboItems(control);
        else
            control->GetWindowText(current);
        if (!current.IsEmpty())
            LogMissing(TEXT_DIALOG, id | dialogKey, current);
    }
    else if (IsComboBox(control))
    {
        FillCombo(control, text);
    }
    else
    {
        control->SetWindowText(text);
    }
}

int CLanguage::TranslateMenu(CMenu* menu, int menuId, BOOL topLevel)
{
    if (topLevel)
    {
        m_nPopupKey = menuId << 16;
        m_strMenuMissing.Empty();
    }
    const int count = menu->GetMenuItemCount();
    for (int i = 0; i < count; ++i)
        TranslateMenuItem(menu, i, menuId, topLevel);
    if (topLevel && !m_strMenuMissing.IsEmpty())
        LogMissing(TEXT_MENU, menuId, m_strMenuMissing + "#");
    return 1;
}

void CLanguage::TranslateMenuItem(CMenu* menu, int position, int menuId, BOOL topLevel)
{
    const UINT itemId = menu->GetMenuItemID(position);
    if (itemId == 0)
        return;  // a separator
    const BOOL popup = itemId == static_cast<UINT>(-1);
    int key = static_cast<int>(itemId);
    CString text;
    if (topLevel)
    {
        text = MenuField(Lookup(m_menuTable, menuId), position);
    }
    else if (popup)
    {
        key = m_nPopupKey++;
        text = Lookup(m_menuTable, key);
    }
    else
    {
        text = Lookup(m_menuTable, key);
    }

    if (!popup)
    {
        if (!text.IsEmpty())
        {
            menu->ModifyMenu(itemId, MF_BYCOMMAND | MF_STRING, itemId, text);
        }
        else
        {
            CString current;
            menu->GetMenuString(itemId, current, MF_BYCOMMAND);
            LogMissing(TEXT_MENU, key, current);
        }
        return;
    }

    CMenu* sub = menu->GetSubMenu(position);
    if (!text.IsEmpty())
    {
        MENUITEMINFOA info = {};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_STRING;
        info.dwTypeData = const_cast<LPSTR>(static_cast<LPCSTR>(text));
        menu->SetMenuItemInfo(static_cast<UINT>(position), &info, TRUE);
        menu->ModifyMenu(static_cast<UINT>(position), MF_BYPOSITION | MF_POPUP,
                         reinterpret_cast<UINT_PTR>(sub != nullptr ? sub->m_hMenu : nullptr), text);
    }
    else
    {
        CString current;
        menu->GetMenuString(static_cast<UINT>(position), current, MF_BYPOSITION);
        // An inner popup's line holds its own title: the text its key
        // stands for, which a translator translates.
        if (topLevel)
            m_strMenuMissing += "#" + current;
        else
            LogMissing(TEXT_MENU, key, current);
    }
    if (sub != nullptr)
        TranslateMenu(sub, menuId, FALSE);
}
