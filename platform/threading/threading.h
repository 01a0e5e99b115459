// Everything platform/threading provides.
#pragma once

#include "platform/threading/afx_single_lock.h"
#include "platform/threading/afx_sync.h"
#include "platform/threading/afx_thread.h"
#include "platform/threading/critical_section.h"
#include "platform/threading/handle_table.h"
#include "platform/threading/interlocked.h"
#include "platform/threading/kernel_event.h"
#include "platform/threading/kernel_mutex.h"
#include "platform/threading/thread_object.h"
#include "platform/threading/thread_types.h"
#include "platform/threading/wait_functions.h"
#include "platform/threading/waitable.h"
