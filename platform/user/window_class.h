// Window classes: registered by name (compared without regard to case) or
// found by the atom that RegisterClass returned.
#pragma once

#include <memory>
#include <string>

#include "platform/user/user_types.h"

class CWindowClass {
public:
    WNDCLASSA m_wc{};     // as registered; lpszClassName points to m_name
    std::string m_name;
    ATOM m_atom = 0;
};

// The class named by a name or an atom (MAKEINTATOM), or null.
std::shared_ptr<CWindowClass> FindWindowClass(LPCSTR lpszClassName);

// The built-in controls (a layer above this one) register their classes
// through this provider, run once the first time a class is not found.
void SetSystemClassProvider(void (*provider)());

ATOM WINAPI RegisterClassA(const WNDCLASSA* lpWndClass);
BOOL WINAPI UnregisterClassA(LPCSTR lpClassName, HINSTANCE hInstance);
BOOL WINAPI GetClassInfoA(HINSTANCE hInstance, LPCSTR lpClassName, LPWNDCLASSA lpWndClass);
UINT WINAPI RegisterWindowMessageA(LPCSTR lpString);

#define RegisterClass RegisterClassA
#define UnregisterClass UnregisterClassA
#define GetClassInfo GetClassInfoA
#define RegisterWindowMessage RegisterWindowMessageA
