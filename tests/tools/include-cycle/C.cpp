// Fixture of the include-cycle check: a file that only reaches the cycle.
#include "A.h"
