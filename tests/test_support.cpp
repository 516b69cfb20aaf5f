// Shared helpers for the tests.
#include "tests/test_support.h"
