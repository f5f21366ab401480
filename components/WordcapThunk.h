// A window procedure of its own for one object: a few bytes of machine code, made at run time, that
// put the object where the window handle was and jump to a procedure shared by all such objects.
#pragma once

#include <windows.h>

class WindowProcThunk {
public:
    // `shared` receives `object` in place of the window handle; the other arguments are untouched.
    WindowProcThunk(void* object, WNDPROC shared);
    WindowProcThunk(const WindowProcThunk&) = delete;
    WindowProcThunk& operator=(const WindowProcThunk&) = delete;
    ~WindowProcThunk();

    WNDPROC Proc() const { return reinterpret_cast<WNDPROC>(code_); }

private:
    void* code_ = nullptr;
};
