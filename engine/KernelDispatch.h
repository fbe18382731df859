// The one choice of kernel for every family of fast kernels (the correlation peaks, the
// good-code search's lanes, the best search's scoring): the widest instruction set that the
// processor has and the build compiled, narrowed by one environment variable so that any
// path can be run and tested on a processor that has wider ones.
#pragma once

#include "engine/Cod.h"

#include <atomic>
#include <span>
#include <string>
#include <vector>

namespace codegen {

// Instruction-set features a kernel may need, as bits.
enum TIsaFeature : unsigned {
    IsaAvx2 = 1U << 0,
    IsaAvx512F = 1U << 1,
    IsaAvx512Bw = 1U << 2,
    IsaAvx512Vbmi = 1U << 3,
    IsaAvx512Vpopcntdq = 1U << 4,
};

// The features of this processor.
unsigned ProcessorFeatures();

// The features the environment lets the kernels use. CODEGEN_KERNEL names the widest level:
// "portable" (none), "avx2", "avx512" (AVX2 and AVX-512 F, BW, VPOPCNTDQ) or "avx512vbmi"
// (all of them); unset or any other value lets everything through. CODEGEN_SCALAR_KERNELS
// set to anything but "" or "0" means "portable" whatever CODEGEN_KERNEL says, and
// CODEGEN_BEST_KERNEL, when CODEGEN_KERNEL is unset, is read as its older spelling.
unsigned AllowedFeatures();
// True when the environment asks for the portable (scalar) kernels everywhere.
bool ScalarKernelsRequested();

// One family of kernels. TEntry has a Name (const char*), the features it Needs (unsigned)
// and the family's entry points. The entries come widest first and the last needs nothing,
// so a family always has a kernel.
template <class TEntry> class TKernelFamily {
public:
    TKernelFamily(const char* What, std::span<const TEntry> Entries)
        : What(What), Entries(Entries), ActiveEntry(Default()) {}

    // The kernels this processor can run, widest first.
    std::vector<std::string> Names() const {
        std::vector<std::string> Result;
        for (const auto& E : Entries)
            if (Runnable(E))
                Result.emplace_back(E.Name);
        return Result;
    }
    const TEntry& Active() const { return *ActiveEntry.load(std::memory_order_relaxed); }
    // For tests and benchmarks: any kernel the processor can run, whatever the environment.
    void Select(const std::string& Name) {
        for (const auto& E : Entries)
            if (Name == E.Name && Runnable(E)) {
                ActiveEntry = &E;
                return;
            }
        throw CodError("No " + std::string(What) + " \"" + Name + "\" on this processor");
    }

private:
    static bool Runnable(const TEntry& E) { return (E.Needs & ~ProcessorFeatures()) == 0; }
    const TEntry* Default() const {
        const unsigned Usable = ProcessorFeatures() & AllowedFeatures();
        for (const auto& E : Entries)
            if ((E.Needs & ~Usable) == 0)
                return &E;
        return &Entries.back();
    }

    const char* What;
    std::span<const TEntry> Entries;
    std::atomic<const TEntry*> ActiveEntry;
};

} // namespace codegen
