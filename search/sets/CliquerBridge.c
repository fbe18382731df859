#include "search/sets/CliquerBridge.h"

#include <cliquer/cliquer.h>

#include <stdlib.h>
#include <string.h>

#if ELEMENTSIZE != 64
#error "cliquer's sets are expected in 64-bit words"
#endif

typedef struct {
    maxset_tick_t tick;
    void* user;
    int best;      /* largest size the search has reported */
    int raised_at; /* the `done` at which it last grew */
    int stopped;
} progress_t;

static boolean on_time(int level, int i, int n, int max, double cputime, double realtime,
                       clique_options* opts) {
    progress_t* p = (progress_t*)opts->user_data;
    (void)cputime;
    (void)realtime;
    /* Only the outer search reports: the recovery of a stopped search runs on quietly. */
    if (level != 1 || p->tick == NULL)
        return TRUE;
    if (max > p->best) {
        p->best = max;
        p->raised_at = i;
    }
    if (!p->tick(p->user, i, n, max)) {
        p->stopped = 1;
        return FALSE;
    }
    return TRUE;
}

static graph_t* make_graph(int n, const uint64_t* rows, int words) {
    graph_t* g = graph_new(n);
    int v;
    if (g == NULL)
        return NULL;
    for (v = 0; v < n; ++v)
        memcpy(g->edges[v], rows + (size_t)v * (size_t)words, sizeof(uint64_t) * (size_t)words);
    return g;
}

static int copy_out(set_t s, int* out, const int* map) {
    int count = 0, v = -1;
    while ((v = set_return_next(s, v)) >= 0)
        out[count++] = map ? map[v] : v;
    return count;
}

/* The clique a stopped search found last: it holds the vertex examined when the size grew
   and size - 1 of its neighbours examined before it. Found again in that neighbourhood. */
static int recover(graph_t* g, const int* order, const progress_t* p, int* out) {
    int v, k, m = 0, count;
    int* map;
    graph_t* h;
    set_t s;
    clique_options opts;
    progress_t quiet;
    if (p->best < 1 || p->raised_at < 1)
        return 0;
    v = order[p->raised_at - 1];
    if (p->best == 1) {
        out[0] = v;
        return 1;
    }
    map = (int*)malloc(sizeof(int) * (size_t)g->n);
    if (map == NULL)
        return 0;
    for (k = 0; k < p->raised_at - 1; ++k)
        if (GRAPH_IS_EDGE(g, v, order[k]))
            map[m++] = order[k];
    h = graph_new(m > 0 ? m : 1);
    if (h == NULL) {
        free(map);
        return 0;
    }
    for (k = 0; k < m; ++k) {
        int j;
        for (j = k + 1; j < m; ++j)
            if (GRAPH_IS_EDGE(g, map[k], map[j]))
                GRAPH_ADD_EDGE(h, k, j);
    }
    memset(&opts, 0, sizeof opts);
    memset(&quiet, 0, sizeof quiet);
    opts.reorder_function = reorder_by_greedy_coloring;
    opts.user_data = &quiet;
    opts.time_function = on_time;
    opts.output = NULL;
    s = m >= p->best - 1 ? clique_unweighted_find_single(h, p->best - 1, p->best - 1, FALSE, &opts)
                         : NULL;
    count = 0;
    if (s != NULL) {
        count = copy_out(s, out, map);
        out[count++] = v;
        set_free(s);
    }
    graph_free(h);
    free(map);
    return count;
}

int maxset_find(int n, const uint64_t* rows, int words, maxset_tick_t tick, void* user, int* out,
                int* proven) {
    graph_t* g;
    int* order;
    set_t s;
    clique_options opts;
    progress_t p;
    int count;
    *proven = 0;
    if (n <= 0) {
        *proven = 1;
        return 0;
    }
    g = make_graph(n, rows, words);
    if (g == NULL)
        return -1;
    /* The order the search examines the vertices in, kept to name a stopped search's best. */
    order = reorder_by_greedy_coloring(g, FALSE);
    memset(&opts, 0, sizeof opts);
    memset(&p, 0, sizeof p);
    p.tick = tick;
    p.user = user;
    opts.reorder_map = order;
    opts.user_data = &p;
    opts.time_function = on_time;
    opts.output = NULL;
    s = clique_unweighted_find_single(g, 0, 0, FALSE, &opts);
    if (s != NULL && !p.stopped) {
        count = copy_out(s, out, NULL);
        *proven = 1;
    } else {
        count = recover(g, order, &p, out);
    }
    if (s != NULL)
        set_free(s);
    free(order);
    graph_free(g);
    return count;
}
