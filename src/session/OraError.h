#pragma once
#include "engine/EngineError.h"

// Every database error of the access layer: what the engine behind the
// session raised, passed on unchanged.
using OraError = EngineError;
