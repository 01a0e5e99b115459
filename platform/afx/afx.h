// Everything platform/afx provides: the framework classes.
#pragma once

#include "platform/afx/afx_cmd_target.h"
#include "platform/afx/afx_gdi.h"
#include "platform/afx/afx_msg_map.h"
#include "platform/afx/afx_win_app.h"
#include "platform/afx/afx_wnd.h"
#include "platform/afx/afx_wnd_dc.h"
