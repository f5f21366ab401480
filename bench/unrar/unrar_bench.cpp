// Extracts an archive through unrar.dll as the installer does, and prints the seconds it took from
// opening to closing, the bytes delivered and the members that failed:
//   unrar_bench ARCHIVE DESTINATION
#include "unrar.h"

#include <windows.h>

#include <cstdio>

namespace {

unsigned long long delivered = 0;

int CALLBACK OnVolume(char* name, int mode) {
    if (mode == RarVolumeAsk)
        std::fprintf(stderr, "missing volume %s\n", name);
    return mode == RarVolumeAsk ? -1 : 1;
}

int CALLBACK OnData(unsigned char*, int size) {
    delivered += static_cast<unsigned>(size);
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s ARCHIVE DESTINATION\n", argv[0]);
        return 2;
    }
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);

    RAROpenRecord open{};
    open.ArcName = argv[1];
    open.OpenMode = RarOpenExtract;
    RarHandle handle = RAROpenArchive(&open);
    if (!handle) {
        std::fprintf(stderr, "cannot open %s: %u\n", argv[1], open.OpenResult);
        return 1;
    }
    RARSetChangeVolProc(handle, OnVolume);
    RARSetProcessDataProc(handle, OnData);
    int failed = 0, result;
    RARHeaderData header{};
    while ((result = RARReadHeader(handle, &header)) == RarOk) {
        if (RARProcessFile(handle, RarExtract, argv[2], nullptr) != RarOk)
            ++failed;
    }
    RARCloseArchive(handle);

    QueryPerformanceCounter(&end);
    std::printf("%.3f %llu %d\n", double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart),
                delivered, failed + (result != RarEndOfArchive));
    return 0;
}
