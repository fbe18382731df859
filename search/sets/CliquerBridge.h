/* The exact maximum-clique search of the cliquer library, behind a plain interface: the
   library's headers are C only (they use C++ keywords as names), so only CliquerBridge.c
   includes them. Not re-entrant: the library keeps its search state in globals, so callers
   hold one lock around maxset_find. */
#ifndef CODEGEN_CLIQUER_BRIDGE_H
#define CODEGEN_CLIQUER_BRIDGE_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Called after each vertex of the search order: done of total vertices examined, best the
   size of the largest clique known. Returns nonzero to go on, zero to stop. */
typedef int (*maxset_tick_t)(void* user, int done, int total, int best);

/* A maximum clique of the graph of n vertices whose adjacency rows are rows[v * words ..],
   bit u of a row set for an edge v-u (64 vertices a word, symmetric, no loops). Writes the
   clique's vertices to out (room for n) and returns their count; *proven is 1 when the
   search ran to its end. A stopped search returns the largest clique it can still name
   (0 when none), with *proven 0. Returns -1 when memory runs out. */
int maxset_find(int n, const uint64_t* rows, int words, maxset_tick_t tick, void* user, int* out,
                int* proven);

#ifdef __cplusplus
}
#endif

#endif
