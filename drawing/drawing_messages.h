// The window messages of the drawing objects, registered by name when the
// program starts (the same name always gives the same number).
//
// Only MSG_DRAWING_OBJECT_INVALIDATE_RECT is posted and handled: a drawing
// object posts it to its host window with a RECT made by new in wParam (the
// area to repaint, in the window's client coordinates), and the receiver
// deletes that RECT. The other names are registered so that every part of
// the program agrees on their numbers; nothing sends them.
#pragma once

#include "platform/base/win_types.h"

extern UINT MSG_DRAWING_OBJECT_INVALIDATE_RECT;
extern UINT MSG_DRAWING_OBJECT_BUTTON_CLICK;
extern UINT MSG_DRAWING_OBJECT_BUTTON_DOWN;
extern UINT MSG_DRAWING_OBJECT_BUTTON_MOUSE_UP;
extern UINT MSG_DRAWING_OBJECT_BUTTON_MOUSE_OVER;
extern UINT MSG_DRAWING_OBJECT_BUTTON_MOUSE_LEAVE;
extern UINT MSG_SLIDER_START_SCROLLING;
extern UINT MSG_SLIDER_END_SCROLLING;
extern UINT MSG_SLIDER_POSITION_CHANGE;
extern UINT MSG_DRAWING_OBJECT_HISTOGRAM_PROCESS_SCALE_CONTROL;
extern UINT MSG_DRAWING_OBJECT_HISTOGRAM_UPDATE_VERTICAL_SCALE;
extern UINT MSG_DRAWING_OBJECT_HISTOGRAM_SHOW_CONTEXT_MENU;
