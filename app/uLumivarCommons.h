// The level codes of a log line: five characters at columns 26 to 30; a
// trailing blank is part of the code.
#pragma once

#include "Types.h"

inline const String INFO_LEVEL = u"INFO ";
inline const String WARN_LEVEL = u"AVISO";
inline const String ERROR_LEVEL = u"ERRO ";
