// Processor feature checks, answered once and kept.
#include "frame/cpu_features.h"

bool CpuHasAvx2() {
#if VARDELO_X86
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return has;
#else
    return false;
#endif
}
