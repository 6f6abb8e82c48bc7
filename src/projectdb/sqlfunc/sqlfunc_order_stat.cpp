// The order-statistics aggregates mode, median, lower_quartile and
// upper_quartile. One step function collects the group's values into a
// search tree of distinct values with their occurrence counts; each final
// function walks that tree in ascending order.
#include <cstdint>
#include <map>
#include <memory>
#include <new>
#include <type_traits>

#include "projectdb/sqlfunc/sqlfunc_internal.h"

namespace qe::sqlfunc {

namespace {
// The state of one group. The first value that is not NULL after numeric
// conversion fixes the group's mode: INTEGER selects integer mode (later
// reals are truncated toward zero), anything else real mode.
struct SOrderStat {
  bool integer_mode = false;
  int64_t n = 0;
  std::map<int64_t, int64_t> integers;  // value -> occurrences
  std::map<double, int64_t> reals;
};

// SQLite keeps only a pointer in its aggregate context; the final function
// takes ownership and frees the tree.
SOrderStat** ContextSlot(sqlite3_context* ctx, bool create) {
  return static_cast<SOrderStat**>(
      sqlite3_aggregate_context(ctx, create ? static_cast<int>(sizeof(SOrderStat*)) : 0));
}

std::unique_ptr<SOrderStat> TakeState(sqlite3_context* ctx) {
  SOrderStat** slot = ContextSlot(ctx, false);
  if (!slot) return nullptr;
  std::unique_ptr<SOrderStat> state(*slot);
  *slot = nullptr;
  return state;
}

// Mode: the value with the highest occurrence count, or NULL when several
// values share it (or the group is empty).
template <typename Map, typename Emit>
void FinishMode(sqlite3_context* ctx, const Map& tree, Emit emit) {
  int64_t best_count = 0;
  int ties = 0;
  typename Map::key_type best{};
  for (const auto& [value, count] : tree) {
    if (count > best_count) {
      best_count = count;
      best = value;
      ties = 1;
    } else if (count == best_count) {
      ++ties;
    }
  }
  if (ties == 1) {
    emit(best);
  } else {
    sqlite3_result_null(ctx);
  }
}

struct SQuantileSum {
  double sum = 0.0;
  int64_t k = 0;
  int64_t single_integer = 0;  // the value when k is 1, in integer mode
};

// The quantile walk: p counts the values before the current distinct value,
// c is its occurrence count. Values wholly below the target are skipped,
// values starting past it end the walk, and the ones that straddle it are
// averaged.
template <typename Map>
SQuantileSum WalkQuantile(const Map& tree, double target) {
  SQuantileSum result;
  double p = 0.0;
  for (const auto& [value, count] : tree) {
    const double c = static_cast<double>(count);
    if (p + c < target) {
      p += c;
      continue;
    }
    if (p > target) break;
    result.sum += static_cast<double>(value);
    if constexpr (std::is_same_v<typename Map::key_type, int64_t>) {
      if (result.k == 0) result.single_integer = value;
    }
    ++result.k;
    p += c;
  }
  return result;
}

// The target is quarters / 4 of n: 2 for the median, 1 and 3 for the
// quartiles.
void FinishQuantile(sqlite3_context* ctx, int quarters) {
  const std::unique_ptr<SOrderStat> state = TakeState(ctx);
  if (!state || state->n == 0) return sqlite3_result_null(ctx);
  const double target = quarters == 2 ? static_cast<double>(state->n) * 0.5
                                      : static_cast<double>(quarters * state->n) * 0.25;
  const SQuantileSum q = state->integer_mode ? WalkQuantile(state->integers, target)
                                             : WalkQuantile(state->reals, target);
  if (q.k == 0) return sqlite3_result_null(ctx);
  if (state->integer_mode && q.k == 1) return sqlite3_result_int64(ctx, q.single_integer);
  sqlite3_result_double(ctx, q.sum / static_cast<double>(q.k));
}
}  // namespace

void OrderStatStep(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (argc != 1) return ResultError(ctx, kWrongCount);
  const int type = sqlite3_value_numeric_type(argv[0]);
  if (type == SQLITE_NULL) return;
  SOrderStat** slot = ContextSlot(ctx, true);
  if (!slot) return sqlite3_result_error_nomem(ctx);
  if (!*slot) {
    *slot = new (std::nothrow) SOrderStat;
    if (!*slot) return sqlite3_result_error_nomem(ctx);
    (*slot)->integer_mode = type == SQLITE_INTEGER;
  }
  SOrderStat& state = **slot;
  try {
    if (state.integer_mode) {
      ++state.integers[sqlite3_value_int64(argv[0])];
    } else {
      ++state.reals[sqlite3_value_double(argv[0])];
    }
  } catch (const std::bad_alloc&) {
    return sqlite3_result_error_nomem(ctx);
  }
  ++state.n;
}

void ModeFinal(sqlite3_context* ctx) {
  const std::unique_ptr<SOrderStat> state = TakeState(ctx);
  if (!state) return sqlite3_result_null(ctx);
  if (state->integer_mode) {
    FinishMode(ctx, state->integers, [ctx](int64_t v) { sqlite3_result_int64(ctx, v); });
  } else {
    FinishMode(ctx, state->reals, [ctx](double v) { sqlite3_result_double(ctx, v); });
  }
}

void MedianFinal(sqlite3_context* ctx) { FinishQuantile(ctx, 2); }
void LowerQuartileFinal(sqlite3_context* ctx) { FinishQuantile(ctx, 1); }
void UpperQuartileFinal(sqlite3_context* ctx) { FinishQuantile(ctx, 3); }

}  // namespace qe::sqlfunc
