#include "platform/user/global_memory.h"

#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <new>

#include "platform/base/last_error.h"
#include "platform/base/win_errors.h"

namespace {

struct CBlock {
    std::unique_ptr<BYTE[]> data;
    SIZE_T size = 0;
    int locks = 0;
};

struct CBlocks {
    std::mutex lock;
    std::map<HGLOBAL, CBlock> blocks;
    uintptr_t nextHandle = 0x10;
};

CBlocks& Blocks() {
    static CBlocks* blocks = new CBlocks;  // blocks may be freed by static destructors
    return *blocks;
}

// Moveable handles are small even numbers plus 2, which no heap address is.
HGLOBAL NextMoveableHandle(CBlocks& b) {
    b.nextHandle += 0x10;
    return reinterpret_cast<HGLOBAL>(b.nextHandle | 0x2);
}

}  // namespace

HGLOBAL WINAPI GlobalAlloc(UINT uFlags, SIZE_T dwBytes) {
    CBlock block;
    block.data.reset(new (std::nothrow) BYTE[dwBytes ? dwBytes : 1]);
    if (!block.data) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    block.size = dwBytes;
    if (uFlags & GMEM_ZEROINIT) std::memset(block.data.get(), 0, dwBytes);
    CBlocks& b = Blocks();
    std::lock_guard<std::mutex> guard(b.lock);
    HGLOBAL handle = (uFlags & GMEM_MOVEABLE) ? NextMoveableHandle(b) : static_cast<HGLOBAL>(block.data.get());
    b.blocks.emplace(handle, std::move(block));
    return handle;
}

HGLOBAL WINAPI GlobalFree(HGLOBAL hMem) {
    CBlocks& b = Blocks();
    std::lock_guard<std::mutex> guard(b.lock);
    if (b.blocks.erase(hMem) == 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return hMem;
    }
    return nullptr;
}

LPVOID WINAPI GlobalLock(HGLOBAL hMem) {
    CBlocks& b = Blocks();
    std::lock_guard<std::mutex> guard(b.lock);
    auto it = b.blocks.find(hMem);
    if (it == b.blocks.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    ++it->second.locks;
    return it->second.data.get();
}

BOOL WINAPI GlobalUnlock(HGLOBAL hMem) {
    CBlocks& b = Blocks();
    std::lock_guard<std::mutex> guard(b.lock);
    auto it = b.blocks.find(hMem);
    if (it == b.blocks.end() || it->second.locks == 0) {
        SetLastError(it == b.blocks.end() ? ERROR_INVALID_HANDLE : ERROR_NOT_LOCKED);
        return FALSE;
    }
    --it->second.locks;
    if (it->second.locks == 0) SetLastError(NO_ERROR);
    return it->second.locks > 0;
}

SIZE_T WINAPI GlobalSize(HGLOBAL hMem) {
    CBlocks& b = Blocks();
    std::lock_guard<std::mutex> guard(b.lock);
    auto it = b.blocks.find(hMem);
    return it == b.blocks.end() ? 0 : it->second.size;
}
