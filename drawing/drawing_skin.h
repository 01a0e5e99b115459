// What a drawing map keeps for skins and for the connector being drawn
// between its objects. The map stores skin elements without using them; an
// active connector exists while the mouse draws a connector.
#pragma once

#include "platform/base/cstring.h"
#include "platform/base/win_types.h"

// One element of a map's skin.
struct _TSkinElement
{
    int m_nKind = 0;
    int m_nObjectId = -1;
    CString m_strName;
    int m_nValue = 0;
};

// A connector being drawn: the loose end that follows the mouse, in the
// map's coordinates (two 32-bit words).
struct _tActiveConnector
{
    LONG m_nLooseX = 0;
    LONG m_nLooseY = 0;

    bool operator==(const _tActiveConnector& other) const
    {
        return m_nLooseX == other.m_nLooseX && m_nLooseY == other.m_nLooseY;
    }
};
