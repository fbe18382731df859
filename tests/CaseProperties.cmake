# Read by ctest after the cases the suites list (the suites' cases are only known once they
# are built, so their properties are set here by name; a name no build has is passed over).

# long: stop/resume cases of many seconds (tens of minutes under the sanitizers). The
# sanitizer stage of tools/run-tests.sh leaves them out (ctest -LE long); the release stage
# runs them, and `ctest -LE long` gives a quick run while working.
set_tests_properties(
    GoodCodSearch.StarvedRunListsTheSameCodsAndSearchesNothingTwice
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
