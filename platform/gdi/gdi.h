// The graphics layer: device contexts over pixel surfaces, bitmaps, pens,
// brushes, regions, shapes, blits, clipping, text, icons and image lists.
//
// Every object lives behind a checked handle (internal/object_table.h). A
// DC draws on the bitmap selected into it, or on a DrawTarget such as a
// window's surface (internal/dc_state.h: create_target_dc, with an origin
// and a visible region). Drawing code turns shapes into spans clipped by the
// DC's region and works on whole rows of 32-bit pixels (internal/raster.h);
// other depths are converted a row at a time (internal/surface.h).
#pragma once

#include "platform/gdi/bitmaps.h"
#include "platform/gdi/blit.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/draw.h"
#include "platform/gdi/gdi_objects.h"
#include "platform/gdi/gdi_types.h"
#include "platform/gdi/icons.h"
#include "platform/gdi/image_decode.h"
#include "platform/gdi/image_list.h"
#include "platform/gdi/rect.h"
#include "platform/gdi/regions.h"
#include "platform/gdi/text.h"
