// Test helper: whether f raises the framework's invalid-argument exception.
#pragma once

#include "platform/base/exceptions.h"

template <typename F>
bool ThrowsInvalidArg(F f)
{
    try {
        f();
    } catch (CInvalidArgException* e) {
        e->Delete();
        return true;
    }
    return false;
}
