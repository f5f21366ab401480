// Source files read on a thread of their own while the blocks before are written: reading and
// writing each copy every byte once, and with two processors neither need wait for the other.
#pragma once

#include "medium/WriterFiles.h"

#include <array>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace medium {

class ReadAhead {
public:
    ReadAhead();
    ~ReadAhead();
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // Starts on a file of `size` bytes; the one before has been read to its end.
    void Open(const std::filesystem::path& path, uint64_t size);
    // The next block, valid until the next call; empty at the end. A failure of the reading, the file
    // growing included, is thrown here, so the last call is the one that says the file was read whole.
    std::span<const uint8_t> Next();

private:
    void Run();

    // The blocks are kept from file to file: memory a process has not touched yet costs a fault a
    // page, which would cost more than the reading it overlaps.
    static constexpr size_t kSlots = 4;
    static constexpr size_t kBlockBytes = 1 << 20;
    std::array<std::vector<uint8_t>, kSlots> blocks;
    std::array<size_t, kSlots> sizes{};
    std::optional<Source> source;
    std::mutex mutex;
    std::condition_variable changed;
    size_t filled = 0; // blocks of this file read
    size_t taken = 0;  // blocks of it handed out; all but the last may be read over
    bool ended = false, stopping = false;
    std::exception_ptr failure;
    std::thread reader;
};

} // namespace medium
