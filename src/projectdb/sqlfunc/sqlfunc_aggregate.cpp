// The simple aggregates: bitwiseor, count_str, and variance and stdev over a
// shared Welford step.
#include <cmath>
#include <cstdint>

#include "projectdb/sqlfunc/sqlfunc_internal.h"

namespace qe::sqlfunc {

namespace {
// SQLite zero-fills a new aggregate context, which is the start state of
// each of these plain structs.
template <typename State>
State* StepState(sqlite3_context* ctx) {
  return static_cast<State*>(sqlite3_aggregate_context(ctx, sizeof(State)));
}
// Null when no row reached the step (the group is empty).
template <typename State>
State* FinalState(sqlite3_context* ctx) {
  return static_cast<State*>(sqlite3_aggregate_context(ctx, 0));
}

struct SBitwiseOr {
  uint64_t bits;
};

struct SCount {
  int64_t count;
};

struct SWelford {
  int64_t n;
  double mean;
  double m2;
};

// The sample variance; 0.0 (not NULL) with fewer than two values.
double SampleVariance(const SWelford* state) {
  if (!state || state->n < 2) return 0.0;
  return state->m2 / static_cast<double>(state->n - 1);
}
}  // namespace

void BitwiseOrStep(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (argc != 1) return ResultError(ctx, kWrongCount);
  SBitwiseOr* state = StepState<SBitwiseOr>(ctx);
  if (!state) return sqlite3_result_error_nomem(ctx);
  if (sqlite3_value_type(argv[0]) == SQLITE_INTEGER) {
    state->bits |= static_cast<uint64_t>(sqlite3_value_int64(argv[0]));
  }
}

void BitwiseOrFinal(sqlite3_context* ctx) {
  const SBitwiseOr* state = FinalState<SBitwiseOr>(ctx);
  sqlite3_result_int64(ctx, state ? static_cast<sqlite3_int64>(state->bits) : 0);
}

void CountStrStep(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (argc != 1) return ResultError(ctx, kWrongCount);
  SCount* state = StepState<SCount>(ctx);
  if (!state) return sqlite3_result_error_nomem(ctx);
  const int type = sqlite3_value_type(argv[0]);
  if (type == SQLITE_NULL) return;
  if (type == SQLITE_TEXT && sqlite3_value_bytes(argv[0]) == 0) return;
  ++state->count;
}

void CountStrFinal(sqlite3_context* ctx) {
  const SCount* state = FinalState<SCount>(ctx);
  sqlite3_result_int64(ctx, state ? state->count : 0);
}

void WelfordStep(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (argc != 1) return ResultError(ctx, kWrongCount);
  SWelford* state = StepState<SWelford>(ctx);
  if (!state) return sqlite3_result_error_nomem(ctx);
  if (sqlite3_value_numeric_type(argv[0]) == SQLITE_NULL) return;
  const double x = sqlite3_value_double(argv[0]);
  const double old_mean = state->mean;
  ++state->n;
  state->mean += (x - old_mean) / static_cast<double>(state->n);
  state->m2 += (x - state->mean) * (x - old_mean);
}

void VarianceFinal(sqlite3_context* ctx) {
  sqlite3_result_double(ctx, SampleVariance(FinalState<SWelford>(ctx)));
}

void StdevFinal(sqlite3_context* ctx) {
  sqlite3_result_double(ctx, std::sqrt(SampleVariance(FinalState<SWelford>(ctx))));
}

}  // namespace qe::sqlfunc
