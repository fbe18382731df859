# Read by ctest after the cases the suites list (the suites' cases are only known once they
# are built, so their properties are set here by name; a name no build has is passed over).

# long: stop/resume cases of many seconds (tens of minutes under the sanitizers). The
# sanitizer stage of tools/run-tests.sh leaves them out (ctest -LE long); the release stage
# runs them, and `ctest -LE long` gives a quick run while working.
set_tests_properties(
    CliCheckpoint.AStoppedOrKilledSearchResumesToTheSameList
    CliCheckpoint.AResumedRunStoppedAgainResumesToTheSameList
    CliCheckpoint.AStopSavesOnlyTheNewCodesNotTheWholeCheckpoint
    CliCheckpoint.AFailedCheckpointWriteStopsTheRunAndKeepsTheLastOne
    CliCount.AStoppedOrKilledCountResumesToTheSameCounts
    CliStop.TheWayOnAfterAStopKeepsTheProjectFileWhole
    CliMpi.ThreeRanksListTheSameBytesAsOneProcess
    CliMpi.AKilledJobResumesFromItsCheckpoint
    CliMpi.AnInterruptedJobEndsAndResumes
    CliMpi.AStopOfRankZeroEndsTheJobCleanly
    PROPERTIES LABELS long)

# Three ranks of an MPI job, each a busy process: ctest -j2 on two cores runs them alone
# rather than putting more processes beside them.
set_tests_properties(
    CliMpi.ThreeRanksListTheSameBytesAsOneProcess
    CliMpi.PiecesPastTheirBudgetComeBackInPartsAndListTheSame
    CliMpi.OneRankAndNoLauncherBehaveAsOneProcess
    CliMpi.AKilledJobResumesFromItsCheckpoint
    CliMpi.AnInterruptedJobEndsAndResumes
    CliMpi.AStopOfRankZeroEndsTheJobCleanly
    CliMpi.AStoppedWorkerRankDoesNotFreezeTheJob
    CliMpi.AClosedPipeEndsTheJob
    PROPERTIES PROCESSORS 3)
# Two ranks of two walkers beside one process of four.
set_tests_properties(
    CliMpiOptimize.TwoRanksListWhatOneProcessWithAllTheirWalkersLists
    CliMpiOptimize.AStopOfRankZeroEndsTheJobWithWhatItHas
    CliMpiOptimize.TheTimeBudgetEndsTheJob
    PROPERTIES PROCESSORS 2)

# The longest cases start first (ctest runs the costliest first): on a fresh clone, with no
# times of an earlier run, a long case left to the end would run alone on one core. The
# figures are seconds of a run on two cores (the sanitizer build's for the suites it runs).
foreach(Case_Cost
        CliMpi.AStopOfRankZeroEndsTheJobCleanly=26
        CliMpi.ThreeRanksListTheSameBytesAsOneProcess=23
        CliMpi.AKilledJobResumesFromItsCheckpoint=11
        CliCheckpoint.AStoppedOrKilledSearchResumesToTheSameList=9
        CliStop.TheWayOnAfterAStopKeepsTheProjectFileWhole=8
        CliMemoryBounds.TernarySearchWithNearlyAllChipsZeroStaysBounded=7
        GoodCodSearch.OneCodePerClassWithCutsRunnersAndStartsOfItsOwn=61
        GoodCodSearch.StarvedRunListsTheSameCodsAndSearchesNothingTwice=60
        GoodCodSearch.SparseCodesOfSeveralWordsMatchThePlainMeasure=37
        GoodCodSearch.ReversalCutListsTheSameWithAnyStoreAndPieces=37
        GoodCodSearch.OneCodePerClassSearchesNoMoreNodesThanTheWholeList=29
        BestCodSearch.TernaryCodsKeepTheZeroRule=18
        BestCodSearch.CodsWithinTheTargetOnePerClassWithTheirFigures=12
        LobeTable.ScoresAndLobesFollowEveryKindOfMoveOnEveryPath=9
        GoodCodSearch.PiecesTakenFromTheirImagesListTheSame=9
        ReadCodList.AnEndlessListStopsAtTheCountItCanHold=8
        MinPsl.EveryShortBinaryLengthMatchesTheDirectMeasure=8
        MinPsl.TheStochasticStartIsRepeatable=8)
    string(REPLACE "=" ";" Case_Cost "${Case_Cost}")
    list(GET Case_Cost 0 Case)
    list(GET Case_Cost 1 Cost)
    set_tests_properties(${Case} PROPERTIES COST ${Cost})
endforeach()
