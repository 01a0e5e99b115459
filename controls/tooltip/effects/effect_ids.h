// The ids of the drawing effects: the background effects of
// CDrawEffects::FillEffect and the image effect bits, which the tip mark-up
// names in its attributes.
#pragma once

#include "platform/base/win_types.h"

// Background effects of CDrawEffects::FillEffect.
enum _eBackEffect : int
{
    BACK_EFFECT_TRANSPARENT = -1,
    BACK_EFFECT_SOLID = 0,
    BACK_EFFECT_HGRADIENT = 1,
    BACK_EFFECT_VGRADIENT = 2,
    BACK_EFFECT_HCGRADIENT = 3,
    BACK_EFFECT_VCGRADIENT = 4,
    BACK_EFFECT_3HGRADIENT = 5,
    BACK_EFFECT_3VGRADIENT = 6,
    BACK_EFFECT_NOISE = 7,
    BACK_EFFECT_DIAGSHADE = 8,
    BACK_EFFECT_HSHADE = 9,
    BACK_EFFECT_VSHADE = 10,
    BACK_EFFECT_HBUMP = 11,
    BACK_EFFECT_VBUMP = 12,
    BACK_EFFECT_SOFTBUMP = 13,
    BACK_EFFECT_HARDBUMP = 14,
    BACK_EFFECT_METAL = 15,
};

// Image effect bits of CDrawEffects (and of the image "style" letters).
enum : DWORD
{
    IMAGE_EFFECT_GREY = 0x1,
    IMAGE_EFFECT_DARKER = 0x2,
    IMAGE_EFFECT_LIGHTER = 0x4,
    IMAGE_EFFECT_REPLACE = 0x8,
    IMAGE_EFFECT_SHADOW = 0x100,
    IMAGE_EFFECT_BLURRED_SHADOW = 0x200,
    IMAGE_EFFECT_INVERT = 0x8000,
};
