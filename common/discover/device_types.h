// The device models as the devices state them in their discover replies,
// and the lookups that turn a model into its name, its group (models that
// share firmware), the class of update package that fits the group, and the
// flag that splits a family into two sub-families.
#pragma once

#include "platform/base/win_types.h"

// A device model: a signed byte on the wire; -1 stands for no type.
typedef int _eDeviceType;

enum : int
{
    DEVICE_TYPE_NONE = -1,
    // Models in use are 0 to DEVICE_TYPE_LAST.
    DEVICE_TYPE_LAST = 35,
};

// The model's display name; "Unknown" for a type without a model.
LPCTSTR GetDeviceTypeName(int type);

// The firmware group of a model, 0..20; 0 for a type without a model.
int GetDeviceGroup(int type);

// The class of update package that fits a group, 0..5; 0 = no package fits.
int GetDeviceClass(int group);

// 0 for the models of the second sub-family of their group, else 1.
int HasDeviceFeature(int type);
