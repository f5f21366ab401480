#include "WordcapThunk.h"

#include "Exception.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

template <class Value> void Append(std::vector<unsigned char>& code, Value value) {
    unsigned char bytes[sizeof value];
    std::memcpy(bytes, &value, sizeof value);
    code.insert(code.end(), bytes, bytes + sizeof value);
}

std::vector<unsigned char> Code(void* object, WNDPROC shared) {
    std::vector<unsigned char> code;
    auto target = reinterpret_cast<std::uintptr_t>(shared);
#if defined(__x86_64__)
    // The window handle comes in rcx: mov rcx, object; mov rax, shared; jmp rax.
    code = {0x48, 0xB9};
    Append(code, reinterpret_cast<std::uint64_t>(object));
    code.insert(code.end(), {0x48, 0xB8});
    Append(code, static_cast<std::uint64_t>(target));
    code.insert(code.end(), {0xFF, 0xE0});
#elif defined(__i386__)
    // The window handle is the first argument on the stack, above the return address:
    // mov dword [esp+4], object; mov eax, shared; jmp eax.
    code = {0xC7, 0x44, 0x24, 0x04};
    Append(code, static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(object)));
    code.push_back(0xB8);
    Append(code, static_cast<std::uint32_t>(target));
    code.insert(code.end(), {0xFF, 0xE0});
#else
#error "no window procedure thunk for this processor"
#endif
    return code;
}

} // namespace

WindowProcThunk::WindowProcThunk(void* object, WNDPROC shared) {
    std::vector<unsigned char> code = Code(object, shared);
    // Written while it is data, then made code that nobody can write any more.
    void* memory = VirtualAlloc(nullptr, code.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!memory)
        throw Exception("Cannot make a window procedure: out of memory");
    std::memcpy(memory, code.data(), code.size());
    DWORD previous = 0;
    if (!VirtualProtect(memory, code.size(), PAGE_EXECUTE_READ, &previous)) {
        VirtualFree(memory, 0, MEM_RELEASE);
        throw Exception("Cannot make a window procedure: the memory cannot hold code");
    }
    FlushInstructionCache(GetCurrentProcess(), memory, code.size());
    code_ = memory;
}

WindowProcThunk::~WindowProcThunk() {
    VirtualFree(code_, 0, MEM_RELEASE);
}
