set(CLANGSTER_FUZZ_TARGETS wav scheme trigger settings osc)
