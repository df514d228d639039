/* The independent reader's own walk of a hive file, for comparison with
 * hive_bench: every key's name, every value's name and data, best of R runs.
 * The walk is timed from the opened hive, as hive_bench times its reader from
 * the bytes in memory; opening the file is timed apart.
 * Built by bench/run-hive-bench against libhivex; not part of the product. */
#include <hivex.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

static double now(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

int main(int argc, char **argv) {
    int runs = argc > 2 ? atoi(argv[2]) : 5;
    double best = 1e9, bestOpen = 1e9;
    size_t keys = 0;
    for (int r = 0; r < runs; ++r) {
        double opened = now();
        hive_h *h = hivex_open(argv[1], HIVEX_OPEN_UNSAFE);
        if (!h) { perror(argv[1]); return 1; }
        double start = now();
        if (start - opened < bestOpen) bestOpen = start - opened;
        size_t cap = 1024, top = 0, sum = 0;
        hive_node_h *stack = malloc(cap * sizeof *stack);
        stack[top++] = hivex_root(h);
        keys = 0;
        while (top) {
            hive_node_h node = stack[--top];
            ++keys;
            char *name = hivex_node_name(h, node);
            free(name);
            hive_value_h *values = hivex_node_values(h, node);
            for (size_t i = 0; values && values[i]; ++i) {
                hive_type type; size_t len;
                char *key = hivex_value_key(h, values[i]);
                char *data = hivex_value_value(h, values[i], &type, &len);
                sum += len;
                free(key); free(data);
            }
            free(values);
            hive_node_h *children = hivex_node_children(h, node);
            for (size_t i = 0; children && children[i]; ++i) {
                if (top == cap) stack = realloc(stack, (cap *= 2) * sizeof *stack);
                stack[top++] = children[i];
            }
            free(children);
        }
        free(stack);
        double took = now() - start;
        hivex_close(h);
        if (took < best) best = took;
        if (sum == 0) fprintf(stderr, "no data\n");
    }
    printf("%-28s %8zu keys  hivex C walk %9.0f keys/s  (open %.1f ms)\n", argv[1], keys,
           keys / best, bestOpen * 1e3);
    return 0;
}
