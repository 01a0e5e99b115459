#include "platform/threading/critical_section.h"

#include <mutex>
#include <new>

namespace {

std::recursive_mutex* Lock(LPCRITICAL_SECTION section) {
    return std::launder(reinterpret_cast<std::recursive_mutex*>(section->opaque));
}

static_assert(sizeof(std::recursive_mutex) <= sizeof(CRITICAL_SECTION::opaque), "critical section storage too small");
static_assert(alignof(std::recursive_mutex) <= alignof(CRITICAL_SECTION), "critical section storage misaligned");

}  // namespace

void WINAPI InitializeCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
    new (lpCriticalSection->opaque) std::recursive_mutex;
}

BOOL WINAPI InitializeCriticalSectionAndSpinCount(LPCRITICAL_SECTION lpCriticalSection, DWORD) {
    InitializeCriticalSection(lpCriticalSection);
    return TRUE;
}

void WINAPI EnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
    Lock(lpCriticalSection)->lock();
}

void WINAPI LeaveCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
    Lock(lpCriticalSection)->unlock();
}

BOOL WINAPI TryEnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
    return Lock(lpCriticalSection)->try_lock() ? TRUE : FALSE;
}

void WINAPI DeleteCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
    Lock(lpCriticalSection)->~recursive_mutex();
}
