// The records of the tip mark-up: the style of a span of text or of a table
// box, the attributes of an image tag, the link areas of a drawn tip and the
// animated image strips; the tag ids; and the bounds that keep hostile
// mark-up (tips show texts that devices send) from asking for absurd sizes,
// counts or depths.
#pragma once

#include "platform/base/cstring.h"
#include "platform/base/win_types.h"
#include "controls/tooltip/effects/effect_ids.h"

#include <algorithm>
#include <vector>

// What a tag does; 0 is an unknown tag.
enum _eMarkupTag : int
{
    MARKUP_TAG_UNKNOWN = 0,
    MARKUP_TAG_BOLD = 1,
    MARKUP_TAG_ITALIC = 2,
    MARKUP_TAG_UNDERLINE = 3,
    MARKUP_TAG_STRIKEOUT = 4,
    MARKUP_TAG_FONT = 5,
    MARKUP_TAG_RULE = 6,
    MARKUP_TAG_BREAK = 7,
    MARKUP_TAG_TAB = 8,
    MARKUP_TAG_LEFT = 9,
    MARKUP_TAG_CENTER = 10,
    MARKUP_TAG_RIGHT = 11,
    MARKUP_TAG_JUSTIFY = 12,
    MARKUP_TAG_BASELINE = 13,
    MARKUP_TAG_TOP = 14,
    MARKUP_TAG_VCENTER = 15,
    MARKUP_TAG_BOTTOM = 16,
    MARKUP_TAG_BITMAP = 17,
    MARKUP_TAG_ICON = 18,
    MARKUP_TAG_IMAGE_STRIP = 19,
    MARKUP_TAG_STRING = 20,
    MARKUP_TAG_NAMED_STYLE = 21,
    MARKUP_TAG_SPAN = 22,
    MARKUP_TAG_LINK = 23,
};

enum _eLinkKind : int
{
    LINK_KIND_NONE = 0,
    LINK_KIND_URL = 1,
    LINK_KIND_MESSAGE = 2,
};

// Bounds on what mark-up may ask for. Readers clamp to them; the layout
// checks its depths against them before it goes one level deeper.
enum : int
{
    MARKUP_MAX_STYLE_DEPTH = 64,   // open styled tags (the style stack)
    MARKUP_MAX_TABLE_DEPTH = 8,    // tables inside table cells
    MARKUP_MAX_TABLE_COLUMNS = 64,
    MARKUP_MAX_TABLE_ROWS = 256,
    MARKUP_MAX_LENGTH = 4096,      // widths, heights, paddings and image sizes in pixels
    MARKUP_MAX_FONT_HEIGHT = 200,  // pixels
    MARKUP_MAX_BORDER_WIDTH = 32,  // pixels; also the thickest pen
    MARKUP_MAX_PERCENT = 1000,     // sizes given as a percentage
    MARKUP_MAX_COUNT = 64,         // repeats of a line break or tab
    MARKUP_MAX_SPEED = 10000,      // timer ticks per frame of an image strip
    MARKUP_MAX_TEXT = 32768,       // bytes of a prepared tip text
};

// The attributes of one span of text or of one table or cell box; copied by
// value (the style stack holds copies).
struct StyleRecord
{
    CString name;               // style name of the tag that opened the span
    int fontHeight = 16;        // pixels (the LOGFONT height)
    int fontWeight = 400;
    int italic = 0;
    int underline = 0;
    int strikeout = 0;
    int overline = 0;
    CString faceName = "Verdana";
    COLORREF textColor = 0;
    COLORREF backColor = 0xFFFFFF;
    COLORREF borderLightColor = 0;
    COLORREF borderDarkColor = 0;
    COLORREF backMidColor = 0xFFFFFF;
    COLORREF backEndColor = 0xFFFFFF;
    int backMode = 1;           // 1 transparent, 2 opaque
    int backEffect = BACK_EFFECT_TRANSPARENT;
    CString backImage;          // "key:value" reference of a table's background image
    int horzAlign = 0;          // 0 left, 1 center, 2 right, 3 justify
    int vertAlign = 3;          // 0 top, 1 middle, 2 bottom, 3 baseline
    int borderStyle = 0;        // 0 none, 1 solid, 2 dashed, 3 dotted, 6 double
    int borderWidth = 0;
    int width = 0;              // of a table or cell; not reset between passes
    int height = 0;
    int textTransform = 0;      // 0 none, 1 upper case, 2 lower case, 3 capitalise
    int margin = 2;             // a table's cell padding
    int padding = 0;            // a table's cell spacing
    int linkKind = LINK_KIND_NONE;
    CString linkTarget;         // URL or message text of the link

    // A border's width and style, given one at a time, keep each other whole:
    // no width is no border, a width without a style draws a solid one, and
    // a style without a width draws one pixel wide.
    void SetBorderWidth(int nWidth)
    {
        borderWidth = std::clamp(nWidth, 0, static_cast<int>(MARKUP_MAX_BORDER_WIDTH));
        if (borderWidth == 0)
            borderStyle = 0;
        else if (borderStyle == 0)
            borderStyle = 1;
    }
    void SetBorderStyle(int nStyle)
    {
        borderStyle = nStyle;
        if (borderStyle != 0 && borderWidth == 0)
            borderWidth = 1;
    }
};

// The attributes of one image tag; the caller sets the defaults before
// CMarkupDrawer::ParseImageAttributes fills in what the tag gives.
struct ImageAttributes
{
    int index = 0;
    int idres = 0;
    int iddll = 0;
    UINT_PTR handle = 0;        // a bitmap or icon handle written as a number
    int cx = 0;
    int cy = 0;
    int width = 0;
    int height = 0;
    int speed = 0;
    int style = 0;
    int hotStyle = 0;
    int useMask = 0;
    int widthPercent = 0;
    int heightPercent = 0;
    COLORREF maskColor = 0;
    CString file;
    CString srcDll;
};

// One drawn piece of a link: where it is and where it leads.
struct HotArea
{
    RECT rect;
    int kind;                   // _eLinkKind
    int linkIndex;
    CString target;
};

// One animated image strip: its current frame and its timer ticks.
struct ImageListAnimation
{
    int frame;
    int frameCount;
    int tick;
    int speed;
};

// Columns and rows a cell covers.
struct TableSpan
{
    int columns = 1;
    int rows = 1;
};

// Columns and rows of a table.
struct TableSize
{
    int columns = 0;
    int rows = 0;
};

// Where hover notifications or link messages go.
struct MarkupTarget
{
    HWND window = nullptr;
    UINT message = 0;
    LPARAM lParam = 0;
};

// One laid-out line: what the measuring pass learns and the drawing pass
// reads back by line index.
struct LineInfo
{
    int width = 0;              // content width; in the drawing pass with the rules' percentage part
    int height = 0;             // line height (the running ascent until the line ends)
    int descent = 0;            // largest descent of the line's text
    int percentWidth = 0;       // sum of the percentage widths of the line's rules
    int align = 0;              // 0 left, 1 center, 2 right, 3 justify
    int breakCount = 0;         // spaces in the line's text
    int justify = 0;            // 1 when the line was wrapped, 0 when a break or the end ended it
};

// One cell of a table; colSpan and rowSpan are -1 for a cell covered by a
// spanning neighbour.
struct CellInfo
{
    int colSpan = 0;
    int rowSpan = 0;
    int contentWidth = 0;
    int contentHeight = 0;
    int width = 0;              // with border and cell padding on both sides
    int height = 0;
    int fixedWidth = 0;         // 1 when the cell has a width attribute
};

// One table: its cells row by row, and the column widths and row heights
// the measuring pass found (the drawing pass stretches the widths).
struct TableInfo
{
    std::vector<std::vector<CellInfo>> cells;
    std::vector<int> columnWidths;
    std::vector<int> rowHeights;
    std::vector<int> columnFixed;
};
