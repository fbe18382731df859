// The messages of codegen-cli's ranks under mpirun and the calls that carry them, shared by
// the good-code search (MpiSearch.cpp) and the best search (MpiOptimize.cpp).
#pragma once

#include <mpi.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <stdexcept>
#include <string>
#include <thread>

namespace codegen::mpiwire {

// The messages between rank 0 and a searching rank. Rank 0 sends the parameters once, then
// pieces one at a time; every piece gets exactly one answer, so nothing is left in flight
// when the rank is dismissed.
enum TTag : int {
    TagParams = 1, // the search parameters, as ParamsText writes them
    TagPiece,      // "max-codes milliseconds reversal-cut prefix [part]"
    TagStop,       // end the piece in hand at once (answered "stopped")
    TagQuit,       // leave
    TagAnswer,     // outcome letter (D, S, M too many, T too long, E error), then the codes
                   // run together (D; T after the parts left, each ended by a space, and a
                   // line end) or the message (E)
    // The best search (optimize): rank 0 sends the parameters, each rank answers with its
    // number of walkers, then every epoch gets exactly one report until an epoch of no steps.
    TagOptimize, // the parameters, as BestParamsText writes them
    TagEpoch,    // "first-walker steps share" (ShareText); steps 0: the run is over
    TagReports   // "N walkers" first, then "R" and the epoch's reports (EpochText); or
                 // "E" and the message
};

// SIGINT/SIGTERM seen by a rank other than 0 (Serve catches them).
inline volatile std::sig_atomic_t RankSignal = 0;

inline void Check(int Code, const char* What) {
    if (Code != MPI_SUCCESS) {
        char Text[MPI_MAX_ERROR_STRING];
        int Length = 0;
        MPI_Error_string(Code, Text, &Length);
        throw std::runtime_error(std::string("MPI: ") + What + ": " +
                                 std::string(Text, static_cast<std::size_t>(Length)));
    }
}

inline void SendText(int To, int Tag, const std::string& Text) {
    Check(MPI_Send(Text.data(), static_cast<int>(Text.size()), MPI_CHAR, To, Tag, MPI_COMM_WORLD),
          "send");
}

// A message from From with Tag (MPI_ANY_TAG: any), if one has come.
inline bool TryReceive(int From, int Tag, int& GotTag, std::string& Text) {
    int Flag = 0;
    MPI_Status Status;
    Check(MPI_Iprobe(From, Tag, MPI_COMM_WORLD, &Flag, &Status), "probe");
    if (!Flag)
        return false;
    int Count = 0;
    MPI_Get_count(&Status, MPI_CHAR, &Count);
    Text.assign(static_cast<std::size_t>(Count), '\0');
    Check(MPI_Recv(Text.data(), Count, MPI_CHAR, From, Status.MPI_TAG, MPI_COMM_WORLD,
                   MPI_STATUS_IGNORE),
          "receive");
    GotTag = Status.MPI_TAG;
    return true;
}

// Waits between polls: a few yields, then short sleeps. Blocking MPI calls would spin a core
// each, which the searching ranks need when the job shares the machine.
inline void Pause(int& Round) {
    if (Round < 20)
        std::this_thread::yield();
    else
        std::this_thread::sleep_for(std::chrono::microseconds(std::min(200, 10 * (Round - 19))));
    ++Round;
}

// A rank other than 0 waiting for rank 0's next message. False when the rank should give
// up instead: a SIGINT/SIGTERM came and rank 0 has been silent for 15 s since it last spoke
// (Status is then the signal's exit status).
inline bool ReceiveFromRankZero(int& Tag, std::string& Text,
                                std::chrono::steady_clock::time_point& LastHeard, int& Status) {
    for (int Round = 0;; Pause(Round)) {
        if (TryReceive(0, MPI_ANY_TAG, Tag, Text)) {
            LastHeard = std::chrono::steady_clock::now();
            return true;
        }
        if (RankSignal && std::chrono::steady_clock::now() - LastHeard > std::chrono::seconds(15)) {
            Status = 128 + static_cast<int>(RankSignal);
            return false;
        }
    }
}

// A rank other than 0 sending Text to rank 0 without blocking, so that a dismissal is still
// heard if rank 0 no longer waits for it. False when the rank was dismissed, before (Dismissed)
// or during the send, which is then dropped. Rank 0 may already have the answer and send its
// next message before the send completes here: only a dismissal is taken, the rest waits for
// the caller's loop.
inline bool SendToRankZero(const std::string& Text, int Tag, bool Dismissed = false) {
    MPI_Request Request;
    Check(MPI_Isend(Text.data(), static_cast<int>(Text.size()), MPI_CHAR, 0, Tag, MPI_COMM_WORLD,
                    &Request),
          "send");
    for (int Wait = 0;; Pause(Wait)) {
        int Sent = 0;
        Check(MPI_Test(&Request, &Sent, MPI_STATUS_IGNORE), "send");
        if (Sent)
            return true;
        int Got = 0;
        std::string Message;
        if (!Dismissed && TryReceive(0, TagQuit, Got, Message))
            Dismissed = true;
        if (Dismissed) {
            MPI_Cancel(&Request);
            MPI_Request_free(&Request);
            return false;
        }
    }
}

} // namespace codegen::mpiwire
