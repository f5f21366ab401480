#include "medium/ReadAhead.h"

namespace medium {

ReadAhead::ReadAhead() {
    for (std::vector<uint8_t>& block : blocks)
        block.resize(kBlockBytes);
    reader = std::thread([this] { Run(); });
}

ReadAhead::~ReadAhead() {
    {
        std::lock_guard lock(mutex);
        stopping = true;
    }
    changed.notify_all();
    reader.join();
}

void ReadAhead::Open(const std::filesystem::path& path, uint64_t size) {
    Source opened(path, size);
    std::lock_guard lock(mutex);
    source = std::move(opened);
    filled = taken = 0;
    ended = false;
    failure = nullptr;
    changed.notify_all();
}

std::span<const uint8_t> ReadAhead::Next() {
    std::unique_lock lock(mutex);
    const size_t slot = taken % kSlots;
    ++taken; // the block handed out last time may now be read over
    changed.notify_all();
    changed.wait(lock, [&] { return filled >= taken || ended || failure; });
    if (filled >= taken)
        return {blocks[slot].data(), sizes[slot]};
    --taken;
    if (failure)
        std::rethrow_exception(failure);
    return {};
}

void ReadAhead::Run() {
    std::unique_lock lock(mutex);
    for (;;) {
        // The slot read into is never that of the last block handed out.
        changed.wait(
            lock, [&] { return stopping || (source && !ended && !failure && filled + 1 < taken + kSlots); });
        if (stopping)
            return;
        std::vector<uint8_t>& block = blocks[filled % kSlots];
        lock.unlock();
        size_t size = 0;
        std::exception_ptr error;
        try {
            size = source->Next(block.data(), block.size()).size();
        } catch (...) {
            error = std::current_exception();
        }
        lock.lock();
        if (error)
            failure = error;
        else if (size)
            sizes[filled++ % kSlots] = size;
        else
            ended = true;
        changed.notify_all();
    }
}

} // namespace medium
