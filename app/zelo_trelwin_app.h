// CZeloTrelwinApp: the application object. Its start-up prepares the
// process (controls, sockets, settings) and runs the wizard sheet modally;
// the program ends when the wizard closes.
#pragma once

#include "platform/afx/afx.h"

class CZeloTrelwinApp : public CWinApp
{
public:
    CZeloTrelwinApp();

    // Always FALSE: the wizard has run (or sockets could not start), and
    // the framework ends the program without a message loop of its own.
    BOOL InitInstance() override;

protected:
    DECLARE_MESSAGE_MAP()
};

extern CZeloTrelwinApp theApp;
