#include "engine/KernelDispatch.h"

#include <cstdlib>
#include <string_view>

namespace codegen {

unsigned ProcessorFeatures() {
#if defined(__x86_64__) && defined(__GNUC__)
    // The families choose while static objects are made, possibly before the runtime's own
    // detection has run.
    __builtin_cpu_init();
    unsigned Has = 0;
    if (__builtin_cpu_supports("avx2"))
        Has |= IsaAvx2;
    if (__builtin_cpu_supports("avx512f"))
        Has |= IsaAvx512F;
    if (__builtin_cpu_supports("avx512bw"))
        Has |= IsaAvx512Bw;
    if (__builtin_cpu_supports("avx512vbmi"))
        Has |= IsaAvx512Vbmi;
    if (__builtin_cpu_supports("avx512vpopcntdq"))
        Has |= IsaAvx512Vpopcntdq;
    return Has;
#else
    return 0;
#endif
}

namespace {

bool Set(const char* Value) {
    return Value && *Value && std::string_view(Value) != "0";
}

} // namespace

bool ScalarKernelsRequested() {
    return Set(std::getenv("CODEGEN_SCALAR_KERNELS"));
}

unsigned AllowedFeatures() {
    if (ScalarKernelsRequested())
        return 0;
    const char* Level = std::getenv("CODEGEN_KERNEL");
    if (!Level)
        Level = std::getenv("CODEGEN_BEST_KERNEL");
    const std::string_view Name = Level ? Level : "";
    constexpr unsigned Avx512 = IsaAvx2 | IsaAvx512F | IsaAvx512Bw | IsaAvx512Vpopcntdq;
    if (Name == "portable")
        return 0;
    if (Name == "avx2")
        return IsaAvx2;
    if (Name == "avx512")
        return Avx512;
    return Avx512 | IsaAvx512Vbmi;
}

} // namespace codegen
