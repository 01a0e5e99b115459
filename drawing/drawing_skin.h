// What a drawing map keeps for skins and connectors between its children.
// The map stores them and asks the first active connector whether a
// connector drag is under way; no object of this program makes either.
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

// A connector being drawn between two children: two 32-bit words, the first
// naming the connector end that is dragged.
struct _tActiveConnector
{
    DWORD m_dwEnd = 0;
    DWORD m_dwTarget = 0;

    bool operator==(const _tActiveConnector& other) const
    {
        return m_dwEnd == other.m_dwEnd && m_dwTarget == other.m_dwTarget;
    }
};
