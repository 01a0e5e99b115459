// The graphics layer: device contexts over pixel surfaces, bitmaps, pens,
// brushes, regions, shapes, blits, clipping, text, icons and image lists.
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
