// Fixture of the include-cycle check: A.h and B.h include each other.
#pragma once

#include "B.h"
