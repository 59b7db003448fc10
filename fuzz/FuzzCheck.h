#pragma once
// What a fuzz target needs besides its input: a check that stops the run with
// a reason, and the fakes' own complaints (recorded as GoogleTest failures)
// turned into stops.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace fuzz {

inline void Check(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

inline void CheckFakes() { Check(!testing::UnitTest::GetInstance()->ad_hoc_test_result().Failed(), "a fake saw misuse"); }

}  // namespace fuzz
