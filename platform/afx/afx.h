// Everything platform/afx provides: the framework classes.
#pragma once

#include "platform/afx/afx_cmd_target.h"
#include "platform/afx/afx_controls.h"
#include "platform/afx/afx_data_exchange.h"
#include "platform/afx/afx_dialog.h"
#include "platform/afx/afx_file_dialog.h"
#include "platform/afx/afx_gdi.h"
#include "platform/afx/afx_list_ctrl.h"
#include "platform/afx/afx_menu.h"
#include "platform/afx/afx_message_box.h"
#include "platform/afx/afx_msg_map.h"
#include "platform/afx/afx_property_sheet.h"
#include "platform/afx/afx_scroll_view.h"
#include "platform/afx/afx_sockets.h"
#include "platform/afx/afx_win_app.h"
#include "platform/afx/afx_wnd.h"
#include "platform/afx/afx_wnd_dc.h"
