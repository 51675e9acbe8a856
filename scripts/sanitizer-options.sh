# The sanitizers' run-time settings, sourced by test.sh --sanitize and fuzz.sh.
# Undefined behaviour stops the program, so that no test can pass over it.
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export ASAN_OPTIONS="detect_leaks=1:check_initialization_order=1"
