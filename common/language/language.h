// CLanguage: the program's translator of user-interface texts. It looks
// texts up by numeric key in three tables (strings, menu items, dialogs),
// writes what it finds into menus and dialogs, and appends every text it
// lacks to a missing-text log, so that a translator can collect them.
//
// Nothing fills the tables yet (no language file is read), so every lookup
// misses: menus and dialogs keep their resource texts and the log grows by
// one line per distinct text. One global object, g_Language, serves the
// whole program; it is used on the window thread only and is not locked.
#pragma once

#include <utility>
#include <vector>

#include "platform/afx/afx.h"
#include "platform/base/string_list.h"

// The keywords of a language file; kept for the loader that reads one.
extern const CString LANG_FILE_EXTENSION;    // ".lang"
extern const CString LANG_KEY_CODEPAGE;      // "CODEPAGE="
extern const CString LANG_KEY_LANGUAGE;      // "LANGUAGE="
extern const CString LANG_KEY_SUBLANGUAGE;   // "SUBLANG="
extern const CString LANG_KEY_REVISION;      // "REVISION="

class CLanguage : public CObject
{
public:
    // Kinds of text, for the tables and the log.
    enum
    {
        TEXT_STRING = 0,  // "#%04X#": a string id
        TEXT_MENU = 1,    // "#M%04X#": a menu item id or popup key
        TEXT_DIALOG = 2,  // "#D%08X#": (dialog id << 16) OR control id
    };

    CLanguage();
    ~CLanguage() override;

    void Serialize(CArchive& ar) override;

    // The string table's text; when there is none, the string resource id,
    // and the miss is logged with the resource's text (even an empty one).
    // "" for an id without either.
    CString GetString(int id);

    // Gives every item of the menu its translated text; untranslated texts
    // are logged. menuId keys the top-level item texts, which the menu table
    // holds as one text of '#'-separated fields. Returns 1.
    int TranslateMenu(CMenu* menu, int menuId, BOOL topLevel);

    // Gives the dialog's caption and controls their translated texts
    // (controls with ids below 100 share the string table); edit, list,
    // date and spin controls and controls without an id are left alone.
    // An untranslated caption is logged, even an empty one; a control's
    // text when it has one. Returns 1.
    int TranslateDialog(CWnd* dialog, int dialogId);

    // Appends one line for the text to the log unless a line of the log
    // already occurs in it. A log that cannot be opened is skipped.
    void LogMissing(int kind, int id, const CString& text);

    // Adds a translated text to the table of the kind (the first entry of
    // an id wins), as a language loader does.
    void AddText(int kind, int id, const CString& text);

    // The folder that holds Lang/missing.txt; empty (the default) stands for
    // the user's data folder + "/BriselTrelwin", looked up at each write.
    CString m_strBaseDirectory;

    // The log's full path for the current base directory; "" when there is
    // no user data folder.
    CString GetMissingLogPath() const;

private:
    typedef std::vector<std::pair<int, CString>> CTextTable;

    static CString Lookup(const CTextTable& table, int id);
    CTextTable& TableOf(int kind);
    void TranslateMenuItem(CMenu* menu, int position, int menuId, BOOL topLevel);
    void TranslateControl(CWnd* control, int dialogKey);

    CString m_strText;
    CStringList m_languages;
    CTextTable m_menuTable;
    CTextTable m_stringTable;
    CTextTable m_dialogTable;
    int m_nCodePage;
    int m_nSubLanguage;
    int m_nLanguage;
    CString m_strLanguageName;

    // Shared by the calls of one top-level TranslateMenu walk: the titles of
    // untranslated top-level popups, and the key of the next inner popup.
    CString m_strMenuMissing;
    int m_nPopupKey;
};

extern CLanguage g_Language;
