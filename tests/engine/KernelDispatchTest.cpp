// The one kernel choice: what the environment lets through, a family's default on this
// processor, and the refusal of kernels the processor cannot run.
#include "engine/KernelDispatch.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace codegen {
namespace {

// Sets the kernel variables for one case and puts back what was there.
class TKernelEnvironment {
public:
    TKernelEnvironment() {
        for (const char* Name : Names)
            if (const char* Value = std::getenv(Name))
                Saved[Index(Name)] = Value;
        for (const char* Name : Names)
            unsetenv(Name);
    }
    ~TKernelEnvironment() {
        for (const char* Name : Names) {
            if (Saved[Index(Name)])
                setenv(Name, Saved[Index(Name)]->c_str(), 1);
            else
                unsetenv(Name);
        }
    }
    void Set(const char* Name, const char* Value) { setenv(Name, Value, 1); }

private:
    static constexpr const char* Names[] = {"CODEGEN_KERNEL", "CODEGEN_SCALAR_KERNELS",
                                            "CODEGEN_BEST_KERNEL"};
    static std::size_t Index(const char* Name) {
        for (std::size_t I = 0; I < std::size(Names); ++I)
            if (std::string(Names[I]) == Name)
                return I;
        return 0;
    }
    std::optional<std::string> Saved[std::size(Names)];
};

constexpr unsigned Avx512Level = IsaAvx2 | IsaAvx512F | IsaAvx512Bw | IsaAvx512Vpopcntdq;
constexpr unsigned Everything = Avx512Level | IsaAvx512Vbmi;

TEST(KernelDispatch, OneVariableNarrowsEveryFamily) {
    TKernelEnvironment Env;
    EXPECT_EQ(AllowedFeatures(), Everything);
    EXPECT_FALSE(ScalarKernelsRequested());
    const std::pair<const char*, unsigned> Levels[] = {{"portable", 0},
                                                       {"avx2", IsaAvx2},
                                                       {"avx512", Avx512Level},
                                                       {"avx512vbmi", Everything},
                                                       {"no such set", Everything}};
    for (const auto& [Name, Allowed] : Levels) {
        Env.Set("CODEGEN_KERNEL", Name);
        EXPECT_EQ(AllowedFeatures(), Allowed) << Name;
    }
    // The scalar switch the test runs use wins over any level; "0" and "" do not set it.
    Env.Set("CODEGEN_KERNEL", "avx512");
    for (const char* Off : {"0", ""}) {
        Env.Set("CODEGEN_SCALAR_KERNELS", Off);
        EXPECT_EQ(AllowedFeatures(), Avx512Level) << '"' << Off << '"';
    }
    Env.Set("CODEGEN_SCALAR_KERNELS", "1");
    EXPECT_TRUE(ScalarKernelsRequested());
    EXPECT_EQ(AllowedFeatures(), 0U);
    // The best search's older variable, read only when the new one is unset.
    unsetenv("CODEGEN_SCALAR_KERNELS");
    Env.Set("CODEGEN_BEST_KERNEL", "avx2");
    EXPECT_EQ(AllowedFeatures(), Avx512Level);
    unsetenv("CODEGEN_KERNEL");
    EXPECT_EQ(AllowedFeatures(), IsaAvx2);
}

struct TToyKernel {
    const char* Name;
    unsigned Needs;
    int Width;
};

constexpr TToyKernel ToyKernels[] = {{"avx512vbmi", IsaAvx512F | IsaAvx512Bw | IsaAvx512Vbmi, 64},
                                     {"avx2", IsaAvx2, 32},
                                     {"portable", 0, 8}};

// The widest kernel within both the processor and the variable; what Select may pick.
std::string WidestWithin(unsigned Features) {
    for (const auto& K : ToyKernels)
        if ((K.Needs & ~Features) == 0)
            return K.Name;
    return "portable";
}

TEST(KernelDispatch, AFamilyStartsOnTheWidestKernelAllowedAndRefusesTheOthers) {
    const unsigned Has = ProcessorFeatures();
    for (const char* Level : {"", "portable", "avx2", "avx512", "avx512vbmi"}) {
        TKernelEnvironment Env;
        if (*Level)
            Env.Set("CODEGEN_KERNEL", Level);
        TKernelFamily<TToyKernel> Family("toy kernel", ToyKernels);
        EXPECT_EQ(std::string(Family.Active().Name), WidestWithin(Has & AllowedFeatures()))
            << Level;
        // Tests pick any kernel the processor runs, whatever the variable says.
        for (const auto& K : ToyKernels) {
            if ((K.Needs & ~Has) == 0) {
                Family.Select(K.Name);
                EXPECT_EQ(Family.Active().Width, K.Width);
            } else {
                EXPECT_THROW(Family.Select(K.Name), CodError) << K.Name;
            }
        }
        EXPECT_THROW(Family.Select("sse9"), CodError);
        EXPECT_EQ(Family.Names().back(), "portable");
        EXPECT_EQ(Family.Names().front(), WidestWithin(Has));
    }
}

} // namespace
} // namespace codegen
