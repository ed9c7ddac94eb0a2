#include "win/clipboard.h"

#include <cstring>

#include "win/error.h"

namespace win {

void OpenOrThrow(const ClipboardScope& clipboard) {
    if (!clipboard.IsOpen()) {
        throw Error(L"クリップボードを開くことができません",
                    static_cast<long>(clipboard.OpenError()));
    }
}

void PutOnClipboard(UINT format, const void* data, std::size_t size) {
    GlobalHandle memory(::GlobalAlloc(GMEM_MOVEABLE, size));
    if (!memory)
        ThrowLastError();
    {
        GlobalLockScope lock(memory.get());
        if (lock.Data() == nullptr)
            ThrowLastError();
        std::memcpy(lock.Data(), data, size);
    }
    if (::SetClipboardData(format, memory.get()) == nullptr)
        ThrowLastError();
    memory.release();
}

void OwnClipboardData::Write(const std::function<void()>& write) {
    writing_ = true;
    try {
        write();
    } catch (...) {
        writing_ = false;
        throw;
    }
    writing_ = false;
    sequence_ = ::GetClipboardSequenceNumber();
}

bool OwnClipboardData::HoldsOwn() const {
    return writing_ || (sequence_ != 0 && ::GetClipboardSequenceNumber() == sequence_);
}

} // namespace win
