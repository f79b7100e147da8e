/* Shared by the two phrase-store benchmarks (Windows program and native
 * floor): the shape of the bench database and how results are printed. */
#ifndef TALVORY_BENCH_COMMON_H
#define TALVORY_BENCH_COMMON_H

#define BENCH_CATEGORIES 64
#define BENCH_ROWS_PER_CATEGORY 64 /* the category row and 63 phrases */

/* Category i's name, as the bench database holds it. */
#define BENCH_CATEGORY_FORMAT "Category %02d"

/* One result line: name, fastest and median time in microseconds. */
#define BENCH_RESULT_FORMAT "%-34s %10.1f %10.1f\n"

#endif
