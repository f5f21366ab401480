#pragma once

// Shows the music library's last error under the caption, closes the library and ends the process
// with exit status 0. Music is not optional: nothing runs on after it.
[[noreturn]] void MidasFailure(const char* caption);
