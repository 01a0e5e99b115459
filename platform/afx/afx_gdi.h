// The framework classes that need no window: CPoint, CSize and CRect, the
// graphics objects, CDC and CImageList, and the handle maps behind their
// FromHandle.
#pragma once

#include "platform/afx/afx_dc.h"
#include "platform/afx/afx_gdi_objects.h"
#include "platform/afx/afx_geometry.h"
#include "platform/afx/afx_handle_map.h"
#include "platform/afx/afx_image_list.h"
