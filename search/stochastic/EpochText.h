// The best search's parameters, the walkers' reports of an epoch and what they learn of the
// run after it, as text: the messages between the machines of a run shared among MPI ranks.
// Each reader takes exactly what its writer writes and throws CodError for anything else.
#pragma once

#include "search/stochastic/WalkerEpochs.h"

#include <string>
#include <string_view>
#include <vector>

namespace codegen {

// One "key value" line per parameter, one "known TEXT" line per code already listed.
std::string BestParamsText(const TBestSearchParams& P);
TBestSearchParams BestParamsOf(std::string_view Text);

// Reports[From..] in walker order.
std::string EpochText(const std::vector<TWalkerEpoch>& Reports, std::size_t From = 0);
// Appends the reports of such a text to Reports; L is the run's length.
void ReadEpochText(std::string_view Text, int L, std::vector<TWalkerEpoch>& Reports);

// "bar-psl bar-isl best" ("-" before the first best code).
std::string ShareText(const TEpochShare& S);
TEpochShare ShareOf(std::string_view Text);

} // namespace codegen
