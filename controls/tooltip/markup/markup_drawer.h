// CMarkupDrawer: the renderer of the tooltip's HTML-like mark-up. It owns
// the vocabulary (tags, entities, colour names), the style sheet and the
// current style, the tokenizer and attribute readers that walk a tip's text,
// the link areas of the last drawing with the hand cursor and the link
// actions, the animation steps of image strips, and the loaders of the
// bitmaps, icons and strings that tags name. Layout and drawing build on it.
//
// Tip texts come from devices on the network, so every input is treated as
// hostile: scanners always advance or stop, sizes and counts read from the
// text are clamped (markup_types.h), links open only web addresses, no
// module is loaded by name, handles are checked against the object table and
// image files are read only from text the program trusts.
//
// One class, one file per concern:
//   markup_drawer.cpp        construction and destruction
//   markup_tag_table.cpp     tag and entity tables, tag lookup
//   markup_color_table.cpp   colour names
//   markup_style_sheet.cpp   style sheet, declarations, the current style and its stack
//   markup_values.cpp        readers of lengths, colours and keywords
//   markup_scan.cpp          scanning primitives
//   markup_tokenizer.cpp     preparation, chunks, tags and attributes, tag finder
//   markup_table_scan.cpp    extents and size of tables, rows and cells
//   markup_attributes.cpp    table, cell, image and font attribute readers
//   markup_fit.cpp           cutting a run at the width left on a line
//   markup_links.cpp         link areas, hover, cursor, clicks, animation steps
//   markup_resources.cpp     bitmaps, icons, strings and handles that tags name
//   markup_layout.cpp        the two passes, stretches, lines and the pen
//   markup_layout_tags.cpp   text runs and what each tag does to the style
//   markup_tables.cpp        tables, rows and cells
//   markup_objects.cpp       rules, bitmaps, icons, strip frames and strings
//   markup_escape.cpp        plain text made into mark-up that shows it literally
//
// All of it runs on the thread that owns the tooltip window.
#pragma once

#include "controls/tooltip/effects/draw_effects.h"
#include "controls/tooltip/markup/markup_types.h"
#include "platform/base/cstring.h"
#include "platform/gdi/gdi_types.h"

#include <map>
#include <string>
#include <vector>

class CMarkupDrawer
{
public:
    CMarkupDrawer();
    virtual ~CMarkupDrawer();
    CMarkupDrawer(const CMarkupDrawer&) = delete;
    CMarkupDrawer& operator=(const CMarkupDrawer&) = delete;

    // The DC that lengths are measured on and text is laid out on; null
    // measures on a memory DC of the drawer's own.
    void SetDC(HDC hDC) { m_hDC = hDC; }
    HDC GetMeasureDC() const { return m_hDC != nullptr ? m_hDC : m_hOwnDC; }
    // The mark-up text that PrepareText rewrites.
    void SetMarkupText(const char* pszText) { m_strText = pszText; }
    const CString& GetMarkupText() const { return m_strText; }
    StyleRecord& GetCurrentStyle() { return m_style; }
    CDrawEffects& GetDrawManager() { return m_drawManager; }

    // --- Layout and drawing.
    //
    // The same text is walked twice: PrepareOutput measures it and records
    // every line and table; DrawHtml in the drawing pass (prepare flag 0)
    // draws it into a rectangle from those records. A measuring pass must
    // come first; drawing passes may repeat (hover, animation).

    // Measures the mark-up text on the DC: the size of the whole text plus
    // one pixel each way, (0, 0) for an empty text. Lines wrap at the
    // maximum width (0: never).
    void PrepareOutput(HDC hDC, const char* pszText, SIZE* pSize);
    // One pass over the stored text into the rectangle; adds to *pSize.
    void DrawHtml(SIZE* pSize, const RECT* pRect);
    void SetPrepareFlag(int nPrepare) { m_nPrepare = nPrepare; }
    int GetPrepareFlag() const { return m_nPrepare; }
    void SetMaxWidth(int nMaxWidth) { m_nMaxWidth = nMaxWidth; }
    int GetMaxWidth() const { return m_nMaxWidth; }
    const std::vector<LineInfo>& GetLines() const { return m_arrLines; }
    const std::vector<TableInfo>& GetTables() const { return m_arrTables; }
    const std::vector<HotArea>& GetHotAreas() const { return m_arrHotAreas; }
    // Plain text (a name a device sends) as mark-up that shows exactly
    // those characters: "<" as "<<", and every "&" kept from forming an
    // entity.
    static CString EscapeText(const char* pszText);

    // --- Vocabulary and styles.

    // Replaces the style sheet by the rules of the text ("selector {declarations}"
    // each); null loads the default style sheet.
    void SetCssStyles(const char* pszText);
    void SetDefaultCssStyles();
    const CString& GetCssText() const { return m_strCssText; }
    // The declarations of the lower-cased selector, or null.
    const char* GetCssStyle(const char* pszSelector) const;
    void SetCssStyle(const char* pszSelector, const char* pszDeclarations);
    // The tag's id (_eMarkupTag, 0 unknown) and style name; bClosing is set
    // for a tag that starts with "/".
    int GetTagId(CString strTag, CString& strStyleName, int& nClosing) const;
    COLORREF GetColorByName(const char* pszName, COLORREF clrDefault) const;
    // The current style back to its defaults (width and height kept).
    void ResetStyle();
    void ApplyCssDeclarations(CString strDeclarations, StyleRecord& style);
    // An opening tag saves the current style on the stack (false when the
    // stack holds MARKUP_MAX_STYLE_DEPTH styles); a closing tag restores the
    // top when its name matches the current style's name. Either way a
    // closing tag empties the current style's name.
    bool PushPopStyle(bool bClosing);
    int GetStyleDepth() const { return static_cast<int>(m_arrStyles.size()); }
    void ClearStyleStack() { m_arrStyles.clear(); }

    // Value readers: the new value of a field from its text and its current
    // value. Lengths are pixels of the measuring DC; in font-size mode the
    // bare numbers 1-7 are the sizes 8, 10, 12, 14, 18, 24 and 36.
    int ParseLength(const CString& strValue, int nCurrent, BOOL bFontSizeMode = FALSE);
    COLORREF ParseColor(const CString& strValue, COLORREF clrCurrent) const;
    // A handle written as a number, with C's base detection; 0 when the
    // text is no number or one beyond a handle's range.
    static UINT_PTR ParseHandle(const CString& strValue);
    static int ParseFontStyle(const CString& strValue, int nCurrent);
    static int ParseFontWeight(const CString& strValue, int nCurrent);
    static int ParseHorzAlign(const CString& strValue, int nCurrent);
    static int ParseVertAlign(const CString& strValue, int nCurrent);
    static int ParseTextTransform(const CString& strValue, int nCurrent);
    static int ParseBorderStyle(const CString& strValue, int nCurrent);
    int ParseBorderWidth(const CString& strValue, int nCurrent);
    int ParseBackEffect(const CString& strValue, int nCurrent);
    static void ParseTextDecoration(const CString& strValue, StyleRecord& style);

    // --- Parser.

    // Entities replaced, carriage returns removed, line feeds and tabs made
    // into "<br>" and "<t>", in the mark-up text.
    void PrepareText();
    // The plain text from nPos to the next tag, the tag's inside in strTag;
    // "<<" and a "<" at the very end are a literal "<".
    CString GetNextChunk(const CString& strText, int& nPos, CString& strTag) const;
    // The inside of the tag whose "<" is at nPos; empty, with nPos just past
    // the "<", when there is no ">" or nothing between.
    CString GetTagBody(const CString& strText, int& nPos) const;
    // Cuts the tag to its name and returns its attribute text.
    CString SplitTag(CString& strTag) const;
    // The next attribute's value, its name in strName; empty name at the end.
    CString GetNextAttribute(const CString& strAttributes, int& nPos, CString& strName) const;
    // Calls f(name, value) for each attribute of the text, in order.
    template <typename F>
    void ForEachAttribute(const CString& strAttributes, F f) const
    {
        int nPos = 0;
        CString strName;
        for (;;)
        {
            const CString strValue = GetNextAttribute(strAttributes, nPos, strName);
            if (strName.IsEmpty())
                return;
            f(strName, strValue);
        }
    }
    // The next "<" + name (a prefix match; "<<" is skipped) from nPos.
    bool FindTag(const CString& strText, int& nPos, const char* pszName) const;
    // The position of the first "<" + name lying wholly in [nFrom, nTo), or -1.
    static int FindTagBefore(const CString& strText, int nFrom, int nTo, const char* pszName);
    // From the "<table", "<tr" or "<td" at nPos to its matching "</table",
    // "</tr" or "</td" (nested tables skipped); the end of the text when
    // there is none. The result is never before nPos.
    void FindTableEnd(const CString& strText, int& nPos) const;
    void FindRowEnd(const CString& strText, int& nPos) const;
    void FindCellEnd(const CString& strText, int& nPos) const;
    // Columns (the widest row, with column spans) and rows of a table text,
    // within MARKUP_MAX_TABLE_COLUMNS and MARKUP_MAX_TABLE_ROWS.
    TableSize GetTableSize(const CString& strText);
    TableSpan ParseTableAttributes(const CString& strAttributes, StyleRecord& style, bool bIsTable);
    void ParseImageAttributes(const CString& strAttributes, ImageAttributes& image);
    int ParseImageStyle(const CString& strValue) const;
    static void ParseFontFlags(const CString& strLetters, StyleRecord& style);
    // The repeat count of a line break or tab tag ("br=3"): the number after
    // the attribute text's first byte, 1 when there is none, within 1 and
    // MARKUP_MAX_COUNT.
    int ParseRepeatCount(const CString& strAttributes);
    // The longest piece of the run that fits in nWidth (the width left on a
    // line of nLineWidth), cut after a break character; the run keeps the
    // rest and nWidth becomes the piece's width. See markup_fit.cpp.
    CString FitPiece(CString& strRun, int nLineWidth, int& nWidth);
    static int CountChar(const CString& strText, char c);

    // Scanning primitives. A word start is an ASCII letter or digit or ".".
    static bool IsWordStart(char c);
    // Moves to the next word start; false (at the end) when there is none.
    static bool SkipToWordStart(const CString& strText, int& nPos);
    // Moves to the next byte of the set and returns it; 0 at the end.
    static char ScanTo(const CString& strText, int& nPos, const char* pszSet);
    // Moves past the bytes of the set and returns the next byte; 0 at the end.
    static char SkipSet(const CString& strText, int& nPos, const char* pszSet);

    // --- Links, cursor and animation.

    void SetRepaintTarget(HWND hWnd, UINT nMessage, LPARAM lParam);
    void SetLinkMessageTarget(HWND hWnd, UINT nMessage, LPARAM lParam);
    // Index of the first link area holding the point (edges included), or -1.
    int FindHotArea(POINT pt) const;
    // Notifies the repaint target when the link under the point changes and
    // shows the hand cursor over a link; true when it set the cursor.
    bool OnSetCursor(POINT pt);
    // Opens the link under the point, or sends its message text.
    void OnLButtonDown(POINT pt);
    // Opens an http or https address in the user's browser; anything else
    // is ignored.
    void GotoURL(const char* pszUrl);
    // One timer step of the image strips; true when a frame changed.
    bool OnTimer();
    void SetDefaultCursor();
    HCURSOR GetHandCursor() const { return m_hHandCursor; }
    int GetHoveredLink() const { return m_nHoverLink; }

    // --- Resources that tags name. Each handle belongs to the caller.

    // Icon and bitmap resources of a module other than the program's are
    // never loaded: a module name gives null, and without one the drawer's
    // resource module is used, which nothing sets.
    HICON GetIconFromDll(UINT nId, int cx, int cy, const char* pszDll);
    HBITMAP GetBitmapFromResource(UINT nId);
    HICON GetIconFromResource(UINT nId, int cx, int cy);
    // Null unless image files are allowed (AllowFileImages).
    HBITMAP GetBitmapFromFile(const char* pszFile);
    HBITMAP GetBitmapFromDll(UINT nId, const char* pszDll);
    CString GetStringFromResource(UINT nId);
    // The tip part of a command string: the text after its first line feed.
    CString GetTipFromResource(UINT nId);
    // A live bitmap or icon named by a number, or null; not owned.
    static HBITMAP GetBitmapFromHandle(UINT_PTR nHandle);
    static HICON GetIconFromHandle(UINT_PTR nHandle);
    // Image files named by "file" attributes are read only from texts the
    // program trusts; tips showing what devices send leave this off.
    void AllowFileImages(BOOL bAllow) { m_bAllowFileImages = bAllow; }
    // Tiles a table's rectangle with the background image of a "key:value"
    // reference ("idres:130", "iddll:..", "file:..").
    void DrawBackgroundImage(HDC hDC, const RECT& rect, const CString& strReference);

protected:
    struct TagInfo
    {
        int id;
        CString styleName;
    };

    void InitTagTable();
    void InitEntityTable();
    void InitColorTable();
    void AddTag(const char* pszTag, int nId, const char* pszStyleName);
    // The declaration value of a "key:value" text from nPos, as
    // ApplyCssDeclarations reads it.
    static CString ReadDeclarationValue(const CString& strText, int& nPos);
    void ApplyDeclaration(const CString& strProperty, const CString& strValue, StyleRecord& style);
    void SetNotifiedLink(int nLink);

    // Layout (markup_layout.cpp, markup_layout_tags.cpp).
    void DrawHtmlString(CString& strText, const RECT* pRect, SIZE* pSize);
    int BeginLine(int nLeft);
    void BreakLine(int nCount, int& x, int& y, SIZE* pSize);
    int PlaceTextInLine(int y, int nHeight);
    int PlaceObjectInLine(int y, int nHeight);
    void AdvanceTab(int& x, int nCount);
    void AddHotArea(int nLeft, int nTop, int nRight, int nBottom);
    void ApplyStyleToDC();
    void ApplyNamedStyle(const char* pszSelector, StyleRecord& style);
    // Places the run piece by piece, wrapping lines as it goes.
    void PlaceRun(CString& strRun, int& x, int& y, SIZE* pSize);
    void TransformRun(CString& strRun) const;
    // Acts on one tag of a stretch; the pen and size follow.
    void DoTag(const CString& strName, const CString& strAttributes, int& x, int& y, SIZE* pSize);
    void ApplyFontAttributes(const CString& strAttributes);
    void ApplyLinkAttributes(const CString& strAttributes);
    // The font of the current style, from the drawer's cache.
    HFONT FontOfStyle(const StyleRecord& style);
    void FreeFonts();
    // Saves the style when a table, row or cell opens; restores it, with
    // every style opened and left open inside, when it closes.
    // OpenBox names the style and pushes it (false when the stack is full);
    // CloseBox goes back to the stack depth from before OpenBox.
    bool OpenBox(const char* pszName);
    void CloseBox(int nDepth);

    // Tables (markup_tables.cpp).
    void DrawHtmlTable(SIZE* pSize, CString& strTableText, const RECT* pRect);
    void DrawHtmlTableRow(CString& strRowText, const RECT* pCellsRect, TableInfo& table, int nRow);
    void DrawHtmlTableCell(CellInfo& cell, CString& strCellText, const RECT* pCellRect);
    void MeasureColumns(TableInfo& table) const;
    void MeasureRows(TableInfo& table) const;
    // A nested table in a cell, or nothing past MARKUP_MAX_TABLE_DEPTH.
    void DrawNestedTable(SIZE* pSize, CString& strTableText, const RECT* pRect);

    // Inline objects (markup_objects.cpp).
    // Wraps when the box does not fit, places it on the line; returns the
    // top of the box.
    int PlaceObject(int cx, int cy, int& x, int& y, SIZE* pSize);
    void DrawRule(const CString& strAttributes, int& x, int& y);
    void DrawBitmapTag(const CString& strAttributes, int& x, int& y, SIZE* pSize);
    void DrawIconTag(const CString& strAttributes, int& x, int& y, SIZE* pSize);
    void DrawImageStripTag(const CString& strAttributes, int& x, int& y, SIZE* pSize);
    void DrawStringTag(const CString& strAttributes, int& x, int& y);
    // The bitmap an image tag names and whether the drawer owns it.
    HBITMAP LoadTagBitmap(const ImageAttributes& image, bool& bOwned);
    static bool HasShadow(const ImageAttributes& image);
    SIZE ImageBox(const ImageAttributes& image, int cx, int cy) const;
    DWORD ImageFlags(const ImageAttributes& image) const;
    // Places an image of cx x cy (and its shadow) on the line, the pen past
    // it; in the drawing pass the image joins the link and is drawn by
    // draw(yTop, dwFlags, bShadow).
    template <typename Draw>
    void PlaceImage(const ImageAttributes& image, int cx, int cy, int& x, int& y, SIZE* pSize, Draw draw);

    HDC m_hDC;                   // measuring or drawing DC of the pass
    HDC m_hOwnDC;                // memory DC used when no DC is set
    CString m_strText;           // the mark-up text
    StyleRecord m_style;         // the current style
    CDrawEffects m_drawManager;
    CString m_strCssText;        // the last text given to SetCssStyles
    std::vector<StyleRecord> m_arrStyles;  // saved styles of open tags
    std::vector<HotArea> m_arrHotAreas;    // link areas of the last drawing
    std::vector<ImageListAnimation> m_arrAnimations;
    std::map<CString, COLORREF> m_mapColors;
    std::map<CString, CString> m_mapStyles;    // lower-cased selector -> declarations
    std::map<CString, CString> m_mapEntities;  // entity -> replacement
    std::map<CString, TagInfo> m_mapTags;
    int m_nHoverLink;            // link index under the mouse, -2 for none
    MarkupTarget m_repaintTarget;
    MarkupTarget m_linkMessageTarget;
    HCURSOR m_hHandCursor;       // shared standard cursor; not destroyed
    HMODULE m_hResourceModule;
    BOOL m_bFreeResourceModule;
    BOOL m_bAllowFileImages;
    int m_nConvertLineBreaks;
    int m_nTabWidth;
    // Shadow of images drawn with the shadow style letter.
    int m_nShadowBlur;
    int m_nShadowOffsetX;
    int m_nShadowOffsetY;
    int m_nShadowBlurWidth;
    int m_nShadowBlurHeight;
    BYTE m_nShadowDarkness;
    COLORREF m_clrShadow;

    // Layout state of the pass under way.
    int m_nPrepare;              // 1 measuring, 0 drawing
    int m_nMaxWidth;             // 0: lines never wrap
    RECT m_rcBlock;              // rectangle of the stretch being laid out
    int m_nBlockWidth;
    LineInfo m_line;             // the current line
    bool m_bLineHasContent;      // something was placed on the current line
    int m_nRemainWidth;          // drawing pass: width of the line still to place
    int m_nRemainBreaks;         // drawing pass: spaces of the line still to place
    std::vector<LineInfo> m_arrLines;
    int m_nLineIndex;
    int m_nLinkCounter;
    int m_nTableIndex;
    int m_nTableDepth;
    std::vector<TableInfo> m_arrTables;
    int m_nAnimationIndex;
    TEXTMETRICA m_tm;
    HFONT m_hFont;               // selected font (owned by the cache)
    HGDIOBJ m_hOldFont;
    std::map<std::string, HFONT> m_mapFonts;  // fonts by their LOGFONT bytes, for the life of the drawer
};
