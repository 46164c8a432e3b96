#pragma once
// The framework's base as one include, for the form layer until it includes the single
// headers it uses (component model, callback guard, module instance).
#include "CallbackGuard.h"
#include "Component.h"
#include "ModuleInstance.h"
